#pragma once

// The walk over a JPEG file's segments, shared by reading and embedding, over
// bytes in memory or read from a file.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace jpegicc {

inline constexpr std::uint8_t kMarkerSOI = 0xD8;
inline constexpr std::uint8_t kMarkerEOI = 0xD9;
inline constexpr std::uint8_t kMarkerSOS = 0xDA;
inline constexpr std::uint8_t kMarkerAPP0 = 0xE0;
inline constexpr std::uint8_t kMarkerAPP2 = 0xE2;

// Bytes taken front to back.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The next byte; -1 at the end.
  virtual int next() = 0;
  // The next n bytes into out; false when fewer were left (the source is then
  // at its end).
  virtual bool read(std::uint8_t* out, std::size_t n) = 0;
  // Passes over the next n bytes; false when fewer were left.
  virtual bool skip(std::size_t n) = 0;
  // Bytes taken so far.
  virtual std::size_t position() const = 0;
};

class SpanSource final : public ByteSource {
 public:
  explicit SpanSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  int next() override { return position_ < bytes_.size() ? bytes_[position_++] : -1; }
  bool read(std::uint8_t* out, std::size_t n) override;
  bool skip(std::size_t n) override;
  std::size_t position() const override { return position_; }
  // The bytes not taken yet.
  std::span<const std::uint8_t> rest() const { return bytes_.subspan(position_); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Where a walk ended.
enum class WalkEnd {
  scan,         // at the first scan's marker, every segment before it intact
  end_of_data,  // the bytes ran out before the first scan
  damaged,      // at a byte that does not continue the segment structure
  not_jpeg,     // no start of image in front
};

struct SegmentHead {
  std::uint8_t marker = 0;
  std::size_t offset = 0;        // of its 0xFF byte (fill bytes before it included)
  std::size_t payload_size = 0;  // the bytes after the length field; 0 for markers without one
};

// Calls on_segment for each segment after the start of image, with `in` at the
// segment's payload; on_segment takes or passes over exactly payload_size
// bytes and returns false when `in` ran out. Stops at the first scan, at the
// end of the bytes (a segment cut off there is not handed on), or at the first
// byte that does not continue the segment structure. `end_offset` is where the
// walk stopped: the scan marker's offset for WalkEnd::scan.
WalkEnd walk_segments(ByteSource& in, const std::function<bool(const SegmentHead&, ByteSource&)>& on_segment,
                      std::size_t& end_offset);

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

// The walk over bytes in memory: whatever was intact before the walk stopped.
// A buffer that does not begin with a start of image gives no segments.
SegmentWalk walk_segments(std::span<const std::uint8_t> jpeg);

inline constexpr std::size_t kIccHeaderBytes = 14;  // "ICC_PROFILE\0", sequence, count

// True when the payload of an APP2 segment begins like a profile chunk's
// (tag, sequence number and count all present).
bool is_icc_payload(std::span<const std::uint8_t> payload);

// True for an APP2 segment tagged as a profile chunk.
bool is_icc_chunk(const Segment& segment);

struct IccChunk {
  unsigned sequence = 0;
  unsigned count = 0;
  std::span<const std::uint8_t> data;  // after the chunk's header
};

// The profile that the chunks, in file order, form: their data joined in
// sequence order. Empty unless they form one whole profile: none missing or
// repeated, every one numbered within the one count they all give.
std::vector<std::uint8_t> join_icc_chunks(std::span<const IccChunk> chunks);

}  // namespace jpegicc
