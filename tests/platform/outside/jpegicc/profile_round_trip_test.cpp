#include "test_jpeg.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using jpegicc::Bytes;
using namespace jpegicc_test;

constexpr std::uint8_t kAPP0 = 0xE0;
constexpr std::uint8_t kAPP2 = 0xE2;

std::size_t icc_chunk_count(const Bytes& jpeg) {
  std::size_t count = 0;
  for (const Marker& m : header_markers(jpeg))
    if (m.code == kAPP2 && m.length >= 16 &&
        std::equal(jpeg.begin() + m.offset + 4, jpeg.begin() + m.offset + 16, "ICC_PROFILE\0"))
      ++count;
  return count;
}

Bytes image_data(const Bytes& jpeg) { return Bytes(jpeg.begin() + scan_offset(jpeg), jpeg.end()); }

class ProfileRoundTripTest : public testing::TestWithParam<std::size_t> {};

TEST_P(ProfileRoundTripTest, EmbeddedProfileReadsBackAndAgreesWithTheLibrary) {
  const std::size_t size = GetParam();
  const Bytes picture = two_colour_picture();
  const Bytes profile = profile_of(size);

  const Bytes out = jpegicc::embed_icc_profile(picture, profile);

  EXPECT_EQ(jpegicc::read_icc_profile(out), profile);
  EXPECT_EQ(library_profile(out), profile);
  const std::size_t chunks = (size + jpegicc::kMaxChunkBytes - 1) / jpegicc::kMaxChunkBytes;
  EXPECT_EQ(icc_chunk_count(out), chunks);
  for (const Marker& m : header_markers(out)) EXPECT_LE(m.length, 0xFFFFu);
  EXPECT_EQ(image_data(out), image_data(picture));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProfileRoundTripTest,
                         testing::Values(std::size_t{1}, std::size_t{1000}, jpegicc::kMaxChunkBytes,
                                         jpegicc::kMaxChunkBytes + 1, 3 * jpegicc::kMaxChunkBytes + 7));

TEST(ReadProfileTest, ReadsChunksWrittenByTheLibrary) {
  const Bytes profile = profile_of(150000, 7);
  EXPECT_EQ(jpegicc::read_icc_profile(two_colour_picture(32, 16, profile)), profile);
}

TEST(ReadProfileTest, FileWithoutProfileGivesEmpty) {
  EXPECT_TRUE(jpegicc::read_icc_profile(two_colour_picture()).empty());
}

// The library may be given chunks in any order; the sequence numbers decide.
TEST(ReadProfileTest, JoinsChunksInSequenceOrderNotFileOrder) {
  const Bytes profile = profile_of(2 * jpegicc::kMaxChunkBytes + 10);
  Bytes file = jpegicc::embed_icc_profile(two_colour_picture(), profile);
  std::vector<Marker> chunks;
  for (const Marker& m : header_markers(file))
    if (m.code == kAPP2) chunks.push_back(m);
  ASSERT_EQ(chunks.size(), 3u);
  // Move the first chunk behind the third.
  const Bytes first(file.begin() + chunks[0].offset, file.begin() + chunks[1].offset);
  const std::size_t third_end = chunks[2].offset + 2 + chunks[2].length;
  Bytes reordered(file.begin(), file.begin() + chunks[0].offset);
  reordered.insert(reordered.end(), file.begin() + chunks[1].offset, file.begin() + third_end);
  reordered.insert(reordered.end(), first.begin(), first.end());
  reordered.insert(reordered.end(), file.begin() + third_end, file.end());

  EXPECT_EQ(jpegicc::read_icc_profile(reordered), profile);
}

TEST(EmbedProfileTest, ReplacesExistingChunksAndKeepsOtherSegments) {
  // A picture with a library-written 3-chunk profile and a foreign APP2.
  Bytes picture = two_colour_picture(32, 16, profile_of(3 * jpegicc::kMaxChunkBytes, 3));
  const Bytes foreign = {0xFF, kAPP2, 0x00, 0x07, 'F', 'P', 'X', 'R', 0};
  const std::size_t at = scan_offset(picture);
  picture.insert(picture.begin() + static_cast<std::ptrdiff_t>(at), foreign.begin(), foreign.end());
  const Bytes profile = profile_of(500, 9);

  const Bytes out = jpegicc::embed_icc_profile(picture, profile);

  EXPECT_EQ(jpegicc::read_icc_profile(out), profile);
  EXPECT_EQ(icc_chunk_count(out), 1u);
  EXPECT_NE(std::search(out.begin(), out.end(), foreign.begin(), foreign.end()), out.end());
  EXPECT_EQ(image_data(out), image_data(picture));
}

TEST(EmbedProfileTest, ProfileFollowsStartOfImageAndAPP0) {
  const Bytes out = jpegicc::embed_icc_profile(two_colour_picture(), profile_of(10));
  const std::vector<Marker> markers = header_markers(out);
  ASSERT_GE(markers.size(), 3u);
  EXPECT_EQ(markers[0].code, 0xD8);
  EXPECT_EQ(markers[1].code, kAPP0);
  EXPECT_EQ(markers[2].code, kAPP2);
}

TEST(EmbedProfileTest, EmptyProfileRemovesTheOldOne) {
  const Bytes picture = two_colour_picture(32, 16, profile_of(70000));
  const Bytes out = jpegicc::embed_icc_profile(picture, {});
  EXPECT_TRUE(jpegicc::read_icc_profile(out).empty());
  EXPECT_EQ(icc_chunk_count(out), 0u);
  EXPECT_EQ(image_data(out), image_data(picture));
}

// 255 chunks of 65519 bytes each (a segment's 65533 less the 14 of the tag,
// its number and the count) is the most a count byte can give.
TEST(EmbedProfileTest, RefusesProfileLongerThan255Chunks) {
  const Bytes longest(255 * 65519, 0x42);
  EXPECT_EQ(jpegicc::read_icc_profile(jpegicc::embed_icc_profile(two_colour_picture(), longest)), longest);
  const Bytes profile(255 * 65519 + 1, 0x42);
  EXPECT_THROW(jpegicc::embed_icc_profile(two_colour_picture(), profile), jpegicc::Error);
}

TEST(FileTest, WritesAndReadsWholeFiles) {
  const auto path = std::filesystem::path(testing::TempDir()) / "jpegicc-file-test.bin";
  const Bytes bytes = profile_of(3000);
  jpegicc::write_file(path, bytes);
  EXPECT_EQ(jpegicc::read_file(path), bytes);
  std::filesystem::remove(path);
  EXPECT_THROW(jpegicc::read_file(path), jpegicc::Error);
  EXPECT_THROW(jpegicc::write_file(path / "no-such-folder" / "x", bytes), jpegicc::Error);
}

}  // namespace
