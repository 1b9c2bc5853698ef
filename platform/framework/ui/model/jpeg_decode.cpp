#include "jpeg_decode.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace framework::ui {
namespace {

static_assert(std::endian::native == std::endian::little, "BGRX rows are read as 0xXXRRGGBB words");

// libjpeg reports fatal errors through error_exit, which must not return.
// We jump back into decode_into(); everything that has to survive the jump
// lives in this heap-free struct, not in locals changed after setjmp.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void on_error(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::longjmp(err->jump, 1);
}

void on_message(j_common_ptr) {}  // warnings are not worth a log line

struct Output {
  uint32_t* pixels = nullptr;  // malloc'd so that a jump leaks nothing we cannot free
  uint32_t width = 0;
  uint32_t height = 0;
};

uint8_t cmyk_channel(unsigned value, unsigned black, bool inverted) {
  // Adobe writes CMYK inverted; plain CMYK is the complement.
  if (!inverted) {
    value = 255 - value;
    black = 255 - black;
  }
  return static_cast<uint8_t>(value * black / 255);
}

bool decode_into(const uint8_t* data, std::size_t size, Output* out) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = on_error;
  err.base.output_message = on_message;
  JSAMPLE* volatile row = nullptr;

  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::free(row);
    std::free(out->pixels);
    out->pixels = nullptr;
    return false;
  }

  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
  jpeg_start_decompress(&cinfo);

  const uint64_t count = uint64_t(cinfo.output_width) * cinfo.output_height;
  if (count == 0 || count > kMaxPixels) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  out->width = cinfo.output_width;
  out->height = cinfo.output_height;
  out->pixels = static_cast<uint32_t*>(std::malloc(count * sizeof(uint32_t)));
  row = static_cast<JSAMPLE*>(std::malloc(std::size_t(cinfo.output_width) * 4));
  if (!out->pixels || !row) std::longjmp(err.jump, 1);

  const bool inverted = cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < cinfo.output_height) {
    uint32_t* line = out->pixels + std::size_t(cinfo.output_scanline) * cinfo.output_width;
    JSAMPROW rows[1] = {cmyk ? row : reinterpret_cast<JSAMPROW>(line)};
    jpeg_read_scanlines(&cinfo, rows, 1);
    if (cmyk) {
      for (uint32_t x = 0; x < cinfo.output_width; ++x) {
        const JSAMPLE* p = row + 4 * x;
        line[x] = 0xFF000000u | uint32_t(cmyk_channel(p[0], p[3], inverted)) << 16 |
                  uint32_t(cmyk_channel(p[1], p[3], inverted)) << 8 | cmyk_channel(p[2], p[3], inverted);
      }
    } else {
      // BGRX in memory on a little-endian machine reads as 0xXXRRGGBB; make X opaque.
      for (uint32_t x = 0; x < cinfo.output_width; ++x) line[x] |= 0xFF000000u;
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::free(row);
  return true;
}

}  // namespace

std::optional<DecodedImage> decode_jpeg(const uint8_t* data, std::size_t size) {
  if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return std::nullopt;
  Output out;
  if (!decode_into(data, size, &out)) return std::nullopt;
  DecodedImage image;
  image.width = static_cast<int32_t>(out.width);
  image.height = static_cast<int32_t>(out.height);
  image.pixels.assign(out.pixels, out.pixels + std::size_t(out.width) * out.height);
  std::free(out.pixels);
  return image;
}

}  // namespace framework::ui
