#include "jpeg_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace ui_test {

std::string encode_jpeg(int width, int height, const std::function<uint32_t(int, int)>& colour, bool grayscale) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = grayscale ? 1 : 3;
  cinfo.in_color_space = grayscale ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * (grayscale ? 1 : 3));
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < width; ++x) {
      uint32_t c = colour(x, y);
      if (grayscale) {
        row[std::size_t(x)] = static_cast<unsigned char>(c & 0xFF);
      } else {
        row[std::size_t(x) * 3] = static_cast<unsigned char>(c >> 16);
        row[std::size_t(x) * 3 + 1] = static_cast<unsigned char>(c >> 8);
        row[std::size_t(x) * 3 + 2] = static_cast<unsigned char>(c);
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string bytes(reinterpret_cast<char*>(buffer), size);
  std::free(buffer);
  return bytes;
}

bool near_colour(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {16, 8, 0}) {
    int ca = int(a >> shift) & 0xFF;
    int cb = int(b >> shift) & 0xFF;
    if (std::abs(ca - cb) > tolerance) return false;
  }
  return true;
}

}  // namespace ui_test
