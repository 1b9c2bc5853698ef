#pragma once
// A JPEG whose frame header claims another size than its image data has: for
// tests of what a picture's header alone can make a reader take.

#include <cstddef>
#include <cstdint>
#include <string>

namespace testsupport {

// Sets the first frame header (baseline or progressive) of `jpeg` to claim
// width x height; false when the segments before it lead to none.
inline bool ClaimPictureSize(std::string& jpeg, unsigned width, unsigned height) {
  for (std::size_t pos = 2; pos + 9 < jpeg.size() && uint8_t(jpeg[pos]) == 0xFF;) {
    const auto marker = uint8_t(jpeg[pos + 1]);
    if (marker == 0xC0 || marker == 0xC2) {  // precision, then height and width
      jpeg[pos + 5] = char(height >> 8), jpeg[pos + 6] = char(height & 0xFF);
      jpeg[pos + 7] = char(width >> 8), jpeg[pos + 8] = char(width & 0xFF);
      return true;
    }
    pos += 2 + (std::size_t(uint8_t(jpeg[pos + 2])) << 8 | uint8_t(jpeg[pos + 3]));
  }
  return false;
}

}  // namespace testsupport
