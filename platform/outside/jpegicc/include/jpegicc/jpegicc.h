#pragma once

// Embedded colour profiles of JPEG files, and decoding JPEG files to RGB.
//
// A profile travels in APP2 segments that begin with "ICC_PROFILE\0", one
// sequence number (from 1) and the number of segments; the profile is the
// concatenation of their data in sequence order. Everything here works on
// bytes in memory or read from an open file, never reads past the buffer it
// is given, and holds no more than it needs whatever the file holds.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
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

struct ProfileRead {
  Bytes profile;
  // When `profile` is empty: why, in a few words for a log line ("no profile
  // data", "not a JPEG file", "the file ends before its image data", ...).
  std::string problem;
  // False when no picture can be in the file either: it is empty, no JPEG
  // file, or ends before its image data.
  bool may_hold_picture = true;
};

// The embedded profile of the JPEG file read from `file`, from where it
// stands: the profile that read_icc_profile gives for the same bytes. Reads no
// further than the first scan and keeps no more of the file than the
// profile's chunks, however large the file. Throws Error when reading fails.
ProfileRead read_icc_profile_file(std::FILE* file);

// A copy of the JPEG file with `profile` as its embedded profile: any profile
// chunks it had are dropped, the new chunks follow the start of image and its
// APP0 segments, every other segment and the image data are copied unchanged.
// An empty profile leaves the file without one.
// Throws Error when `jpeg` is not a JPEG file whose segments run intact up
// to its first scan, or when `profile` is longer than kMaxProfileBytes.
Bytes embed_icc_profile(std::span<const std::uint8_t> jpeg, std::span<const std::uint8_t> profile);

// The most memory one decode may take: the picture's pixels (4 bytes each)
// and the JPEG library's working memory together. A picture that needs more
// is refused before its pixels are asked for; a logo never comes near it.
inline constexpr std::size_t kMaxDecodeBytes = std::size_t{64} << 20;

// Where decode_argb puts the picture: called once, when its size is known,
// for the caller's room for width x height words, row by row from the top
// left, each of which becomes 0xFFRRGGBB; nullptr when the caller cannot give
// it. The room stays the caller's; after a throw its content is not a picture.
using PixelTarget = std::function<std::uint32_t*(int width, int height)>;

// Decodes a baseline or progressive JPEG file into the target's pixels.
// Damage inside the image data is tolerated as the JPEG library does it (the
// rest of the picture is filled in), and nothing after the last row is read.
// A file whose header cannot be read, a colour space that does not convert to
// RGB, a picture that needs more than kMaxDecodeBytes ("larger than
// accepted"), or a target that gives no room throws Error. The JPEG
// library's messages are never printed.
void decode_argb(std::span<const std::uint8_t> jpeg, const PixelTarget& target);
// The same, reading `file` from where it stands, a buffer's worth at a time.
void decode_argb_file(std::FILE* file, const PixelTarget& target);

struct Image {
  int width = 0;
  int height = 0;
  Bytes rgb;  // rows top to bottom, 3 bytes a pixel (R, G, B), no padding
};

// decode_argb, the picture given as RGB bytes.
Image decode_rgb(std::span<const std::uint8_t> jpeg);

// Whole-file helpers. Throw Error naming the path when the file cannot be
// read or written completely; a failed write leaves an existing file as it was.
Bytes read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace jpegicc
