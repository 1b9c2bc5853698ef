#include "test_jpeg.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace jpegicc_test {

jpegicc::Bytes encode(int width, int height, const std::function<Rgb(int, int)>& pixel, const jpegicc::Bytes& profile,
                      Colour colour, Coding coding) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  const bool gray = colour == Colour::grayscale;
  cinfo.input_components = gray ? 1 : 3;
  cinfo.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  if (coding == Coding::progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  if (!profile.empty()) jpeg_write_icc_profile(&cinfo, profile.data(), static_cast<unsigned>(profile.size()));
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * cinfo.input_components);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb p = pixel(x, y);
      if (gray) {
        row[x] = p.r;
      } else {
        row[3 * x] = p.r;
        row[3 * x + 1] = p.g;
        row[3 * x + 2] = p.b;
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  jpegicc::Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

jpegicc::Bytes two_colour_picture(int width, int height, const jpegicc::Bytes& profile) {
  return encode(
      width, height,
      [width](int x, int) {
        return x < width / 2 ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
      },
      profile);
}

std::optional<jpegicc::Bytes> library_profile(const jpegicc::Bytes& jpeg) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);
  JOCTET* data = nullptr;
  unsigned int length = 0;
  std::optional<jpegicc::Bytes> profile;
  if (jpeg_read_icc_profile(&cinfo, &data, &length)) profile = jpegicc::Bytes(data, data + length);
  std::free(data);
  jpeg_destroy_decompress(&cinfo);
  return profile;
}

jpegicc::Bytes profile_of(std::size_t size, std::uint8_t seed) {
  jpegicc::Bytes bytes(size);
  std::uint32_t state = seed;
  for (auto& b : bytes) {
    state = state * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(state >> 16);
  }
  return bytes;
}

std::vector<Marker> header_markers(const jpegicc::Bytes& jpeg) {
  std::vector<Marker> markers;
  std::size_t pos = 0;
  while (pos + 1 < jpeg.size() && jpeg[pos] == 0xFF) {
    const std::uint8_t code = jpeg[pos + 1];
    if (code == 0xD8) {
      markers.push_back({code, pos, 0});
      pos += 2;
      continue;
    }
    if (pos + 3 >= jpeg.size()) break;
    const std::size_t length = (std::size_t{jpeg[pos + 2]} << 8) | jpeg[pos + 3];
    markers.push_back({code, pos, length});
    if (code == 0xDA) break;
    pos += 2 + length;
  }
  return markers;
}

std::size_t scan_offset(const jpegicc::Bytes& jpeg) { return header_markers(jpeg).back().offset; }

void claim_size(jpegicc::Bytes& jpeg, unsigned width, unsigned height) {
  for (const Marker& m : header_markers(jpeg)) {
    if (m.code == 0xC0 || m.code == 0xC2) {  // precision, then height and width
      jpeg[m.offset + 5] = static_cast<std::uint8_t>(height >> 8), jpeg[m.offset + 6] = height & 0xFF;
      jpeg[m.offset + 7] = static_cast<std::uint8_t>(width >> 8), jpeg[m.offset + 8] = width & 0xFF;
    }
  }
}

MemoryFile::MemoryFile(const jpegicc::Bytes& bytes) : bytes_(bytes) {
  const std::size_t size = bytes_.size();
  bytes_.push_back(0);  // fmemopen wants a buffer even for no bytes
  file_ = fmemopen(bytes_.data(), size, "rb");
  if (file_ == nullptr) std::abort();
}

MemoryFile::~MemoryFile() { std::fclose(file_); }

}  // namespace jpegicc_test
