#pragma once
// JPEG decoding for Picture, straight on libjpeg.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace framework::ui {

// Pictures larger than this are refused rather than risking an allocation
// that the machine cannot give (a 64k x 64k header is only a few bytes).
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 26;

struct DecodedImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // row by row, 0xFFRRGGBB
};

// The decoded picture, or nothing when the bytes are not a complete JPEG
// image we can read (any colour space libjpeg knows; CMYK converted to RGB).
std::optional<DecodedImage> decode_jpeg(const uint8_t* data, std::size_t size);

}  // namespace framework::ui
