#pragma once

// The walk over a JPEG file's segments, shared by reading and embedding.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace jpegicc {

inline constexpr std::uint8_t kMarkerSOI = 0xD8;
inline constexpr std::uint8_t kMarkerEOI = 0xD9;
inline constexpr std::uint8_t kMarkerSOS = 0xDA;
inline constexpr std::uint8_t kMarkerAPP0 = 0xE0;
inline constexpr std::uint8_t kMarkerAPP2 = 0xE2;

struct Segment {
  std::uint8_t marker = 0;
  std::size_t offset = 0;                 // of its 0xFF byte in the file
  std::size_t size = 0;                   // from offset, marker and length field included
  std::span<const std::uint8_t> payload;  // the bytes after the length field
};

struct SegmentWalk {
  std::vector<Segment> segments;  // in file order, up to the first scan
  // Offset of the first scan's marker; the image data runs from there to
  // the end of the file. Set only when the walk reached it intact.
  std::size_t scan_offset = 0;
  bool reached_scan = false;
};

// Walks the segments after the start of image. Stops at the first scan, at
// the end of the buffer, or at the first byte that does not continue the
// segment structure; whatever was intact before that is returned. A buffer
// that does not begin with a start of image gives no segments.
SegmentWalk walk_segments(std::span<const std::uint8_t> jpeg);

// True for an APP2 segment tagged as a profile chunk (tag, sequence number
// and count all present).
bool is_icc_chunk(const Segment& segment);

inline constexpr std::size_t kIccHeaderBytes = 14;  // "ICC_PROFILE\0", sequence, count

}  // namespace jpegicc
