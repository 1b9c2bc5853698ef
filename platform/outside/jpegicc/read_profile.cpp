#include "jpegicc/jpegicc.h"
#include "segments.h"

#include <array>

namespace jpegicc {

Bytes read_icc_profile(std::span<const std::uint8_t> jpeg) {
  const SegmentWalk walk = walk_segments(jpeg);

  // Index 0 is unused: sequence numbers count from 1.
  std::array<std::span<const std::uint8_t>, 256> chunks{};
  std::array<bool, 256> seen{};
  unsigned count = 0;
  unsigned found = 0;
  for (const Segment& segment : walk.segments) {
    if (!is_icc_chunk(segment)) continue;
    const unsigned sequence = segment.payload[12];
    const unsigned total = segment.payload[13];
    if (total == 0 || sequence == 0 || sequence > total) return {};
    if (count == 0)
      count = total;
    else if (total != count)
      return {};
    if (seen[sequence]) return {};
    seen[sequence] = true;
    chunks[sequence] = segment.payload.subspan(kIccHeaderBytes);
    ++found;
  }
  if (found == 0 || found != count) return {};

  std::size_t bytes = 0;
  for (unsigned i = 1; i <= count; ++i) bytes += chunks[i].size();
  Bytes profile;
  profile.reserve(bytes);
  for (unsigned i = 1; i <= count; ++i) profile.insert(profile.end(), chunks[i].begin(), chunks[i].end());
  return profile;
}

}  // namespace jpegicc
