#include "segments.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace jpegicc {

namespace {

constexpr std::array<std::uint8_t, 12> kIccTag = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};

// Markers that stand alone, without a length field.
bool is_standalone(std::uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

}  // namespace

bool SpanSource::read(std::uint8_t* out, std::size_t n) {
  const std::size_t k = std::min(n, bytes_.size() - position_);
  if (k > 0) std::memcpy(out, bytes_.data() + position_, k);
  position_ += k;
  return k == n;
}

bool SpanSource::skip(std::size_t n) {
  const std::size_t k = std::min(n, bytes_.size() - position_);
  position_ += k;
  return k == n;
}

WalkEnd walk_segments(ByteSource& in, const std::function<bool(const SegmentHead&, ByteSource&)>& on_segment,
                      std::size_t& end_offset) {
  end_offset = in.position();
  if (in.next() != 0xFF || in.next() != kMarkerSOI) return WalkEnd::not_jpeg;

  for (;;) {
    end_offset = in.position();
    int c = in.next();
    if (c < 0) return WalkEnd::end_of_data;
    if (c != 0xFF) return WalkEnd::damaged;
    // A marker may be preceded by any number of 0xFF fill bytes.
    do {
      c = in.next();
    } while (c == 0xFF);
    if (c < 0) return WalkEnd::end_of_data;
    const auto marker = static_cast<std::uint8_t>(c);
    if (marker == 0x00 || marker == kMarkerSOI || marker == kMarkerEOI) return WalkEnd::damaged;
    if (marker == kMarkerSOS) return WalkEnd::scan;
    SegmentHead head{marker, end_offset, 0};
    if (!is_standalone(marker)) {
      const int high = in.next();
      const int low = in.next();
      if (low < 0) return WalkEnd::end_of_data;
      const std::size_t length = (std::size_t(high) << 8) | std::size_t(low);
      if (length < 2) return WalkEnd::damaged;
      head.payload_size = length - 2;
    }
    if (!on_segment(head, in)) return WalkEnd::end_of_data;
  }
}

SegmentWalk walk_segments(std::span<const std::uint8_t> jpeg) {
  SegmentWalk walk;
  SpanSource in(jpeg);
  std::size_t end = 0;
  const WalkEnd how = walk_segments(
      in,
      [&](const SegmentHead& head, ByteSource&) {
        const std::span<const std::uint8_t> payload = in.rest().first(std::min(head.payload_size, in.rest().size()));
        if (!in.skip(head.payload_size)) return false;
        walk.segments.push_back(Segment{head.marker, head.offset, in.position() - head.offset, payload});
        return true;
      },
      end);
  if (how == WalkEnd::scan) {
    walk.scan_offset = end;
    walk.reached_scan = true;
  }
  return walk;
}

bool is_icc_payload(std::span<const std::uint8_t> payload) {
  return payload.size() >= kIccHeaderBytes && std::equal(kIccTag.begin(), kIccTag.end(), payload.begin());
}

bool is_icc_chunk(const Segment& segment) { return segment.marker == kMarkerAPP2 && is_icc_payload(segment.payload); }

std::vector<std::uint8_t> join_icc_chunks(std::span<const IccChunk> chunks) {
  // Index 0 is unused: sequence numbers count from 1.
  std::array<std::span<const std::uint8_t>, 256> by_sequence{};
  std::array<bool, 256> seen{};
  unsigned count = 0;
  for (const IccChunk& chunk : chunks) {
    if (chunk.count == 0 || chunk.sequence == 0 || chunk.sequence > chunk.count) return {};
    if (count == 0)
      count = chunk.count;
    else if (chunk.count != count)
      return {};
    if (seen[chunk.sequence]) return {};
    seen[chunk.sequence] = true;
    by_sequence[chunk.sequence] = chunk.data;
  }
  if (chunks.empty() || chunks.size() != count) return {};

  std::size_t bytes = 0;
  for (unsigned i = 1; i <= count; ++i) bytes += by_sequence[i].size();
  std::vector<std::uint8_t> profile;
  profile.reserve(bytes);
  for (unsigned i = 1; i <= count; ++i) profile.insert(profile.end(), by_sequence[i].begin(), by_sequence[i].end());
  return profile;
}

}  // namespace jpegicc
