#include "segments.h"

#include <algorithm>
#include <array>

namespace jpegicc {

namespace {

constexpr std::array<std::uint8_t, 12> kIccTag = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};

// Markers that stand alone, without a length field.
bool is_standalone(std::uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

}  // namespace

SegmentWalk walk_segments(std::span<const std::uint8_t> jpeg) {
  SegmentWalk walk;
  if (jpeg.size() < 2 || jpeg[0] != 0xFF || jpeg[1] != kMarkerSOI) return walk;

  std::size_t pos = 2;
  while (pos < jpeg.size()) {
    if (jpeg[pos] != 0xFF) break;
    const std::size_t offset = pos;
    // A marker may be preceded by any number of 0xFF fill bytes.
    while (pos < jpeg.size() && jpeg[pos] == 0xFF) ++pos;
    if (pos >= jpeg.size()) break;
    const std::uint8_t marker = jpeg[pos++];
    if (marker == 0x00 || marker == kMarkerSOI || marker == kMarkerEOI) break;
    if (marker == kMarkerSOS) {
      walk.scan_offset = offset;
      walk.reached_scan = true;
      break;
    }
    if (is_standalone(marker)) {
      walk.segments.push_back(Segment{marker, offset, pos - offset, {}});
      continue;
    }
    if (jpeg.size() - pos < 2) break;
    const std::size_t length = (std::size_t{jpeg[pos]} << 8) | jpeg[pos + 1];
    if (length < 2 || length > jpeg.size() - pos) break;
    Segment segment;
    segment.marker = marker;
    segment.offset = offset;
    segment.size = pos + length - offset;
    segment.payload = jpeg.subspan(pos + 2, length - 2);
    walk.segments.push_back(segment);
    pos += length;
  }
  return walk;
}

bool is_icc_chunk(const Segment& segment) {
  return segment.marker == kMarkerAPP2 && segment.payload.size() >= kIccHeaderBytes &&
         std::equal(kIccTag.begin(), kIccTag.end(), segment.payload.begin());
}

}  // namespace jpegicc
