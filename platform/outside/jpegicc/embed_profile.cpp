#include "jpegicc/jpegicc.h"
#include "segments.h"

#include <algorithm>
#include <string>

namespace jpegicc {

namespace {

void append(Bytes& out, std::span<const std::uint8_t> bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

void append_chunks(Bytes& out, std::span<const std::uint8_t> profile) {
  static constexpr char kTag[] = "ICC_PROFILE";  // written with its terminating 0
  const std::size_t count = (profile.size() + kMaxChunkBytes - 1) / kMaxChunkBytes;
  for (std::size_t i = 0; i < count; ++i) {
    const std::span<const std::uint8_t> data =
        profile.subspan(i * kMaxChunkBytes, std::min(kMaxChunkBytes, profile.size() - i * kMaxChunkBytes));
    const std::size_t length = 2 + kIccHeaderBytes + data.size();
    out.push_back(0xFF);
    out.push_back(kMarkerAPP2);
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(length & 0xFF));
    out.insert(out.end(), std::begin(kTag), std::end(kTag));
    out.push_back(static_cast<std::uint8_t>(i + 1));
    out.push_back(static_cast<std::uint8_t>(count));
    append(out, data);
  }
}

}  // namespace

Bytes embed_icc_profile(std::span<const std::uint8_t> jpeg, std::span<const std::uint8_t> profile) {
  if (profile.size() > kMaxProfileBytes)
    throw Error("profile of " + std::to_string(profile.size()) + " bytes is longer than a JPEG file can embed (" +
                std::to_string(kMaxProfileBytes) + ")");
  const SegmentWalk walk = walk_segments(jpeg);
  if (!walk.reached_scan) throw Error("not a JPEG file, or its segments are damaged before the image data");

  Bytes out;
  out.reserve(jpeg.size() + profile.size() + 512);
  out.push_back(0xFF);
  out.push_back(kMarkerSOI);

  // Readers expect the JFIF (and JFXX) APP0 segments right after the start
  // of image, so the profile goes behind them.
  auto segment = walk.segments.begin();
  for (; segment != walk.segments.end() && segment->marker == kMarkerAPP0; ++segment)
    append(out, jpeg.subspan(segment->offset, segment->size));
  append_chunks(out, profile);
  for (; segment != walk.segments.end(); ++segment)
    if (!is_icc_chunk(*segment)) append(out, jpeg.subspan(segment->offset, segment->size));

  append(out, jpeg.subspan(walk.scan_offset));
  return out;
}

}  // namespace jpegicc
