#pragma once

// Embedded colour profiles of JPEG files, and decoding JPEG files to RGB.
//
// A profile travels in APP2 segments that begin with "ICC_PROFILE\0", one
// sequence number (from 1) and the number of segments; the profile is the
// concatenation of their data in sequence order. Everything here works on
// bytes in memory and never reads past the buffer it is given, whatever the
// file holds.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace jpegicc {

using Bytes = std::vector<std::uint8_t>;

// Thrown by the functions below that say so; what() names the fault.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The most profile bytes one APP2 segment carries: a segment's length field
// counts at most 65535 bytes, of which 2 are the field itself and 14 the
// "ICC_PROFILE\0" tag with sequence number and count.
inline constexpr std::size_t kMaxChunkBytes = 65519;

// A profile is split into at most 255 segments (the count is one byte).
inline constexpr std::size_t kMaxProfileBytes = 255 * kMaxChunkBytes;

// The embedded profile of a JPEG file, the chunks joined in sequence order.
// Looks at the segments before the first scan only. Returns empty when the
// file holds no profile, and also when its chunks do not form one whole
// profile (a chunk missing, repeated, or numbered against the count), so a
// partial profile is never returned. Never throws for any input.
Bytes read_icc_profile(std::span<const std::uint8_t> jpeg);

// A copy of the JPEG file with `profile` as its embedded profile: any profile
// chunks it had are dropped, the new chunks follow the start of image and its
// APP0 segments, every other segment and the image data are copied unchanged.
// An empty profile leaves the file without one.
// Throws Error when `jpeg` is not a JPEG file whose segments run intact up
// to its first scan, or when `profile` is longer than kMaxProfileBytes.
Bytes embed_icc_profile(std::span<const std::uint8_t> jpeg, std::span<const std::uint8_t> profile);

struct Image {
  int width = 0;
  int height = 0;
  Bytes rgb;  // rows top to bottom, 3 bytes a pixel (R, G, B), no padding
};

// The largest picture decode_rgb accepts, in pixels; a header that claims
// more is refused before anything is allocated.
inline constexpr std::uint64_t kMaxDecodePixels = std::uint64_t{1} << 26;

// Decodes a baseline or progressive JPEG file to RGB. Damage inside the
// image data is tolerated as the JPEG library does it (the rest of the
// picture is filled in); a file whose header cannot be read, a colour space
// that does not convert to RGB, or a picture larger than kMaxDecodePixels
// throws Error. The JPEG library's messages are never printed.
Image decode_rgb(std::span<const std::uint8_t> jpeg);

// Whole-file helpers. Throw Error naming the path when the file cannot be
// read or written completely; a failed write leaves an existing file as it was.
Bytes read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace jpegicc
