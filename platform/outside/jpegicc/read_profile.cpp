#include "jpegicc/jpegicc.h"
#include "segments.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

namespace jpegicc {

namespace {

// Reads through the file with stdio's own buffer, so a source that is no
// regular file (a pipe) works as well and nothing needs the file's size.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  int next() override {
    const int c = std::getc(file_);
    if (c == EOF) return -1;
    ++position_;
    return c;
  }
  bool read(std::uint8_t* out, std::size_t n) override {
    const std::size_t got = std::fread(out, 1, n, file_);
    position_ += got;
    return got == n;
  }
  bool skip(std::size_t n) override {
    // A segment is at most 64 KiB; what is skipped is read through, not kept.
    std::uint8_t scratch[4096];
    while (n > 0) {
      const std::size_t part = std::min(n, sizeof scratch);
      if (!read(scratch, part)) return false;
      n -= part;
    }
    return true;
  }
  std::size_t position() const override { return position_; }

 private:
  std::FILE* file_;
  std::size_t position_ = 0;
};

const char* walk_problem(WalkEnd end) {
  switch (end) {
    case WalkEnd::not_jpeg:
      return "not a JPEG file";
    case WalkEnd::end_of_data:
      return "the file ends before its image data";
    case WalkEnd::damaged:
      return "its segments are damaged";
    case WalkEnd::scan:
      break;
  }
  return "";
}

}  // namespace

Bytes read_icc_profile(std::span<const std::uint8_t> jpeg) {
  const SegmentWalk walk = walk_segments(jpeg);
  std::vector<IccChunk> chunks;
  for (const Segment& segment : walk.segments) {
    if (!is_icc_chunk(segment)) continue;
    chunks.push_back(IccChunk{segment.payload[12], segment.payload[13], segment.payload.subspan(kIccHeaderBytes)});
  }
  return join_icc_chunks(chunks);
}

ProfileRead read_icc_profile_file(std::FILE* file) {
  FileSource in(file);
  // Only the chunks' data is kept. More chunks than a count can give make no
  // whole profile, so from there on they are passed over like any segment.
  std::deque<Bytes> kept;
  std::vector<IccChunk> chunks;
  bool too_many = false;
  std::size_t end_offset = 0;
  const WalkEnd end = walk_segments(
      in,
      [&](const SegmentHead& head, ByteSource& source) {
        if (head.marker != kMarkerAPP2 || head.payload_size < kIccHeaderBytes) return source.skip(head.payload_size);
        std::uint8_t header[kIccHeaderBytes];
        if (!source.read(header, sizeof header)) return false;
        const std::size_t rest = head.payload_size - kIccHeaderBytes;
        if (!is_icc_payload(header) || too_many) return source.skip(rest);
        if (chunks.size() == 255) {
          too_many = true;
          return source.skip(rest);
        }
        Bytes data(rest);
        if (!source.read(data.data(), rest)) return false;
        kept.push_back(std::move(data));
        chunks.push_back(IccChunk{header[12], header[13], kept.back()});
        return true;
      },
      end_offset);
  if (std::ferror(file)) throw Error(std::string("cannot read the file: ") + std::strerror(errno));

  ProfileRead result;
  if (!too_many) result.profile = join_icc_chunks(chunks);
  if (!result.profile.empty()) return result;
  if (end == WalkEnd::not_jpeg) {
    result.may_hold_picture = false;
    result.problem = in.position() == 0 ? "the file is empty" : walk_problem(end);
  } else if (end == WalkEnd::end_of_data) {
    result.may_hold_picture = false;
    result.problem = walk_problem(end);
  } else if (end == WalkEnd::damaged) {
    // The JPEG library passes over stray bytes, so the picture may still come.
    result.problem = std::string(walk_problem(end)) + " at byte " + std::to_string(end_offset);
  } else {
    const bool any_data = std::any_of(chunks.begin(), chunks.end(), [](const IccChunk& c) { return !c.data.empty(); });
    result.problem = any_data ? "its profile data is incomplete" : "no profile data";
  }
  return result;
}

}  // namespace jpegicc
