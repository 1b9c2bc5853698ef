// The profile read from an open file: what it found, or why it found none.
#include "test_jpeg.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using jpegicc::Bytes;
using namespace jpegicc_test;

Bytes with_chunks(const std::vector<Bytes>& payloads) {
  const Bytes picture = two_colour_picture();
  Bytes file(picture.begin(), picture.begin() + 2);
  for (const Bytes& payload : payloads) {
    const std::size_t length = payload.size() + 2;
    file.insert(file.end(), {0xFF, 0xE2, std::uint8_t(length >> 8), std::uint8_t(length & 0xFF)});
    file.insert(file.end(), payload.begin(), payload.end());
  }
  file.insert(file.end(), picture.begin() + 2, picture.end());
  return file;
}

// A chunk's 14 header bytes alone: tag, sequence number, count.
Bytes chunk_header(unsigned sequence, unsigned count) {
  return {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, std::uint8_t(sequence), std::uint8_t(count)};
}

// A chunk with one byte of data, its sequence number.
Bytes chunk(unsigned sequence, unsigned count) {
  Bytes payload = chunk_header(sequence, count);
  payload.push_back(std::uint8_t(sequence));
  return payload;
}

std::size_t first_chunk(const Bytes& jpeg) {
  for (const Marker& m : header_markers(jpeg))
    if (m.code == 0xE2) return m.offset;
  return 0;
}

struct ProblemCase {
  const char* name;
  std::function<Bytes()> make;
  std::string problem;
  bool may_hold_picture;
};

void PrintTo(const ProblemCase& c, std::ostream* os) { *os << c.name; }

const ProblemCase kProblems[] = {
    {"Empty", [] { return Bytes{}; }, "the file is empty", false},
    {"NotAJpeg", [] { return Bytes{'G', 'I', 'F', '8', '9', 'a'}; }, "not a JPEG file", false},
    {"StartOfImageOnly",
     [] {
       return Bytes{0xFF, 0xD8};
     },
     "the file ends before its image data", false},
    {"CutInsideTheProfile",
     [] {
       Bytes f = two_colour_picture(32, 16, profile_of(1000));
       f.resize(first_chunk(f) + 100);
       return f;
     },
     "the file ends before its image data", false},
    {"GarbageBeforeTheProfile",
     [] {
       Bytes f = two_colour_picture(32, 16, profile_of(1000));
       f.insert(f.begin() + static_cast<std::ptrdiff_t>(first_chunk(f)), 0x00);
       return f;
     },
     "its segments are damaged at byte 20", true},  // behind the start of image and JFIF's APP0
    {"NoProfile", [] { return two_colour_picture(); }, "no profile data", true},
    {"ChunkMissing",
     [] {
       return with_chunks({chunk(1, 3), chunk(3, 3)});
     },
     "its profile data is incomplete", true},
    {"MoreChunksThanACountGives",
     [] {
       std::vector<Bytes> chunks;
       for (unsigned i = 1; i <= 255; ++i) chunks.push_back(chunk(i, 255));
       chunks.push_back(chunk(1, 255));
       return with_chunks(chunks);
     },
     "its profile data is incomplete", true},
    {"MostChunksACountGives",
     [] {
       std::vector<Bytes> chunks;
       for (unsigned i = 1; i <= 255; ++i) chunks.push_back(chunk(i, 255));
       return with_chunks(chunks);
     },
     "", true},
    // The 256th chunk is passed over like any segment, its data with it.
    {"DataOnlyPastTheMostChunksACountGives",
     [] {
       std::vector<Bytes> chunks;
       for (unsigned i = 1; i <= 255; ++i) chunks.push_back(chunk_header(i, 255));
       chunks.push_back(chunk(1, 255));
       return with_chunks(chunks);
     },
     "no profile data", true},
    // A chunk may carry no data; it still counts.
    {"ChunkOfTheHeaderAlone",
     [] {
       return with_chunks({chunk(1, 2), chunk_header(2, 2)});
     },
     "", true},
    // One byte short of a header is no chunk, though tagged like one.
    {"ChunkCutInItsHeader",
     [] {
       Bytes cut = chunk_header(2, 2);
       cut.pop_back();
       return with_chunks({chunk(1, 1), cut});
     },
     "", true},
    {"WholeProfile",
     [] {
       return with_chunks({chunk(2, 2), chunk(1, 2)});
     },
     "", true},
};

class ProfileProblemTest : public testing::TestWithParam<ProblemCase> {};

TEST_P(ProfileProblemTest, SaysWhyThereIsNoProfile) {
  const Bytes bytes = GetParam().make();
  const MemoryFile file(bytes);

  const jpegicc::ProfileRead read = jpegicc::read_icc_profile_file(file.get());

  EXPECT_EQ(read.problem, GetParam().problem);
  EXPECT_EQ(read.may_hold_picture, GetParam().may_hold_picture);
  EXPECT_EQ(read.profile, jpegicc::read_icc_profile(bytes));
  EXPECT_EQ(read.profile.empty(), !GetParam().problem.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, ProfileProblemTest, testing::ValuesIn(kProblems),
                         [](const auto& info) { return std::string(info.param.name); });

// Whatever follows the header, however large, is not read for the profile.
TEST(ProfileFileTest, StopsAtTheFirstScan) {
  const Bytes profile = profile_of(3 * jpegicc::kMaxChunkBytes);
  const Bytes jpeg = two_colour_picture(32, 16, profile);
  const MemoryFile file(jpeg);

  EXPECT_EQ(jpegicc::read_icc_profile_file(file.get()).profile, profile);
  EXPECT_EQ(std::ftell(file.get()), long(scan_offset(jpeg) + 2));
}

}  // namespace
