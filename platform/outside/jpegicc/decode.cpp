#include "jpegicc/jpegicc.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <new>
#include <string>

#include <jpeglib.h>

namespace jpegicc {

namespace {

// The library's default error handler ends the process; ours jumps back to
// the decoder with the message instead.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void on_fatal_error(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, manager->message);
  std::longjmp(manager->jump, 1);
}

// Warnings (damaged image data among them) are not printed; the library
// fills in what it cannot decode.
extern "C" void on_message(j_common_ptr) {}

// Runs the whole decode between one setjmp and its longjmps. Only trivially
// destructible objects live in this frame and in the library's frames, so the
// jump skips no destructor; `out` belongs to the caller.
// Returns false with `error` set when the library gave up or the picture is
// too large.
bool decode_into(std::span<const std::uint8_t> jpeg, Image& out, ErrorManager& error) {
  jpeg_decompress_struct cinfo{};
  cinfo.err = jpeg_std_error(&error.base);
  error.base.error_exit = on_fatal_error;
  error.base.output_message = on_message;
  error.message[0] = '\0';
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_calc_output_dimensions(&cinfo);
  const std::uint64_t pixels = std::uint64_t{cinfo.output_width} * std::uint64_t{cinfo.output_height};
  if (pixels > kMaxDecodePixels) {
    std::snprintf(error.message, sizeof error.message, "picture of %ux%u pixels is larger than accepted",
                  static_cast<unsigned>(cinfo.output_width), static_cast<unsigned>(cinfo.output_height));
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != 3) {
    std::snprintf(error.message, sizeof error.message, "picture does not convert to RGB");
    jpeg_destroy_decompress(&cinfo);
    return false;
  }

  const std::size_t stride = std::size_t{cinfo.output_width} * 3;
  out.width = static_cast<int>(cinfo.output_width);
  out.height = static_cast<int>(cinfo.output_height);
  try {
    out.rgb.assign(stride * cinfo.output_height, 0);
  } catch (const std::bad_alloc&) {
    std::snprintf(error.message, sizeof error.message, "out of memory");
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out.rgb.data() + std::size_t{cinfo.output_scanline} * stride;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

Image decode_rgb(std::span<const std::uint8_t> jpeg) {
  if (jpeg.empty()) throw Error("cannot decode picture: the file is empty");
  ErrorManager error;
  Image image;
  if (!decode_into(jpeg, image, error)) throw Error(std::string("cannot decode picture: ") + error.message);
  return image;
}

}  // namespace jpegicc
