#include "jpegicc/jpegicc.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <string>

#include <jpeglib.h>
#include <jerror.h>

namespace jpegicc {

namespace {

// The library writes 4 bytes a pixel that read as one 0xXXRRGGBB word.
constexpr J_COLOR_SPACE kPixelWords = std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

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

void too_large(const jpeg_decompress_struct& cinfo, ErrorManager& error) {
  std::snprintf(error.message, sizeof error.message, "picture of %ux%u pixels is larger than accepted",
                static_cast<unsigned>(cinfo.output_width), static_cast<unsigned>(cinfo.output_height));
}

// The target asked without letting an exception through the library's frames.
std::uint32_t* room_from(const PixelTarget& target, int width, int height) noexcept {
  try {
    return target(width, height);
  } catch (...) {
    return nullptr;
  }
}

// Where the file comes from: `file` when set, else `bytes`.
struct Input {
  std::span<const std::uint8_t> bytes;
  std::FILE* file = nullptr;
};

// Runs the whole decode between one setjmp and its longjmps. Only trivially
// destructible objects live in this frame and in the library's frames, so the
// jump skips no destructor; the pixels belong to the target.
// Returns false with `error` set when the library gave up, the picture is
// too large or the target gave no room.
bool decode_into(const Input& input, const PixelTarget& target, ErrorManager& error) {
  jpeg_decompress_struct cinfo{};
  cinfo.err = jpeg_std_error(&error.base);
  error.base.error_exit = on_fatal_error;
  error.base.output_message = on_message;
  error.message[0] = '\0';
  if (setjmp(error.jump)) {
    // Its whole-image buffers did not fit beside the pixels.
    if (error.base.msg_code == JERR_NO_BACKING_STORE) too_large(cinfo, error);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  if (input.file != nullptr)
    jpeg_stdio_src(&cinfo, input.file);
  else
    jpeg_mem_src(&cinfo, input.bytes.data(), static_cast<unsigned long>(input.bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = kPixelWords;
  jpeg_calc_output_dimensions(&cinfo);
  const std::uint64_t pixel_bytes = std::uint64_t{cinfo.output_width} * std::uint64_t{cinfo.output_height} * 4;
  if (pixel_bytes > kMaxDecodeBytes) {
    too_large(cinfo, error);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  // Whatever the pixels leave is the library's; a progressive file's
  // whole-image buffers that need more fail in jpeg_start_decompress. (0
  // would mean no limit at all.)
  cinfo.mem->max_memory_to_use = static_cast<long>(std::max<std::uint64_t>(kMaxDecodeBytes - pixel_bytes, 1));
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != 4) {
    std::snprintf(error.message, sizeof error.message, "picture does not convert to RGB");
    jpeg_destroy_decompress(&cinfo);
    return false;
  }

  const std::size_t width = cinfo.output_width;
  std::uint32_t* pixels =
      room_from(target, static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
  if (pixels == nullptr) {
    std::snprintf(error.message, sizeof error.message, "no room for a picture of %ux%u pixels",
                  static_cast<unsigned>(cinfo.output_width), static_cast<unsigned>(cinfo.output_height));
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    std::uint32_t* line = pixels + std::size_t{cinfo.output_scanline} * width;
    JSAMPROW row = reinterpret_cast<JSAMPROW>(line);
    jpeg_read_scanlines(&cinfo, &row, 1);
    for (std::size_t x = 0; x < width; ++x) line[x] |= 0xFF000000u;
  }
  // The picture is whole; what follows its last row (the end marker, and any
  // bytes after it) is not read.
  jpeg_destroy_decompress(&cinfo);
  return true;
}

void decode(const Input& input, const PixelTarget& target) {
  ErrorManager error;
  if (!decode_into(input, target, error)) throw Error(std::string("cannot decode picture: ") + error.message);
}

}  // namespace

void decode_argb(std::span<const std::uint8_t> jpeg, const PixelTarget& target) {
  if (jpeg.empty()) throw Error("cannot decode picture: the file is empty");
  decode(Input{jpeg, nullptr}, target);
}

void decode_argb_file(std::FILE* file, const PixelTarget& target) {
  if (file == nullptr) throw Error("cannot decode picture: no file");
  decode(Input{{}, file}, target);
}

Image decode_rgb(std::span<const std::uint8_t> jpeg) {
  Image image;
  std::vector<std::uint32_t> pixels;
  decode_argb(jpeg, [&](int width, int height) {
    image.width = width;
    image.height = height;
    pixels.resize(std::size_t(width) * std::size_t(height));
    return pixels.data();
  });
  image.rgb.reserve(pixels.size() * 3);
  for (const std::uint32_t p : pixels) {
    image.rgb.push_back(static_cast<std::uint8_t>(p >> 16));
    image.rgb.push_back(static_cast<std::uint8_t>(p >> 8));
    image.rgb.push_back(static_cast<std::uint8_t>(p));
  }
  return image;
}

}  // namespace jpegicc
