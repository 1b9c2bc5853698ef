#include "test_jpeg.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

namespace {

using jpegicc::Bytes;
using namespace jpegicc_test;

std::vector<Marker> icc_markers(const Bytes& jpeg) {
  std::vector<Marker> chunks;
  for (const Marker& m : header_markers(jpeg))
    if (m.code == 0xE2) chunks.push_back(m);
  return chunks;
}

// A picture with a three-chunk profile.
struct ThreeChunks {
  Bytes profile = profile_of(2 * jpegicc::kMaxChunkBytes + 10);
  Bytes file = jpegicc::embed_icc_profile(two_colour_picture(), profile);
  std::vector<Marker> chunks = icc_markers(file);
};

struct Damage {
  std::string name;
  std::function<void(Bytes&, const std::vector<Marker>&)> apply;
  bool profile_survives;
};

constexpr std::size_t kSequenceAt = 4 + 12;  // marker, length, tag
constexpr std::size_t kCountAt = kSequenceAt + 1;

void erase_segment(Bytes& f, const Marker& m) {
  f.erase(f.begin() + static_cast<std::ptrdiff_t>(m.offset),
          f.begin() + static_cast<std::ptrdiff_t>(m.offset + 2 + m.length));
}

const Damage kDamages[] = {
    {"ChunkMissing", [](Bytes& f, const auto& c) { erase_segment(f, c[1]); }, false},
    {"ChunkRepeated", [](Bytes& f, const auto& c) { f[c[2].offset + kSequenceAt] = 2; }, false},
    {"SequenceZero", [](Bytes& f, const auto& c) { f[c[0].offset + kSequenceAt] = 0; }, false},
    {"SequencePastCount", [](Bytes& f, const auto& c) { f[c[2].offset + kSequenceAt] = 4; }, false},
    {"CountsDisagree", [](Bytes& f, const auto& c) { f[c[1].offset + kCountAt] = 4; }, false},
    {"CountZero",
     [](Bytes& f, const auto& c) {
       for (const Marker& m : c) f[m.offset + kCountAt] = 0;
     },
     false},
    {"SegmentLengthBelowTwo", [](Bytes& f, const auto&) { f[4] = 0, f[5] = 1; }, false},
    {"SegmentLengthPastEnd",
     [](Bytes& f, const auto& c) {
       f.resize(c[2].offset + 100);
       f[c[2].offset + 2] = 0xFF, f[c[2].offset + 3] = 0xFF;
     },
     false},
    {"GarbageBetweenSegments",
     [](Bytes& f, const auto& c) { f.insert(f.begin() + static_cast<std::ptrdiff_t>(c[0].offset), 0x00); }, false},
    {"NoStartOfImage", [](Bytes& f, const auto&) { f[1] = 0xD9; }, false},
    {"FillBytesBeforeMarkers",
     [](Bytes& f, const auto& c) {
       for (auto m = c.rbegin(); m != c.rend(); ++m)
         f.insert(f.begin() + static_cast<std::ptrdiff_t>(m->offset), 3, 0xFF);
     },
     true},
    {"DamagedImageData", [](Bytes& f, const auto&) { f.resize(scan_offset(f) + 20); }, true},
};

void PrintTo(const Damage& damage, std::ostream* os) { *os << damage.name; }

class DamagedProfileTest : public testing::TestWithParam<Damage> {};

TEST_P(DamagedProfileTest, GivesTheWholeProfileOrNothing) {
  ThreeChunks picture;
  ASSERT_EQ(picture.chunks.size(), 3u);
  GetParam().apply(picture.file, picture.chunks);

  const Bytes got = jpegicc::read_icc_profile(picture.file);

  if (GetParam().profile_survives)
    EXPECT_EQ(got, picture.profile);
  else
    EXPECT_TRUE(got.empty());
  const MemoryFile file(picture.file);
  EXPECT_EQ(jpegicc::read_icc_profile_file(file.get()).profile, got);
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedProfileTest, testing::ValuesIn(kDamages),
                         [](const auto& info) { return info.param.name; });

TEST(TruncatedFileTest, EveryPrefixGivesTheWholeProfileOrNothing) {
  const Bytes profile = profile_of(jpegicc::kMaxChunkBytes + 100);
  const Bytes file = jpegicc::embed_icc_profile(two_colour_picture(), profile);
  const Marker last = icc_markers(file).back();
  const std::size_t complete_from = last.offset + 2 + last.length;

  for (std::size_t n = 0; n <= file.size(); ++n) {
    const Bytes got = jpegicc::read_icc_profile(std::span(file.data(), n));
    if (n >= complete_from)
      ASSERT_EQ(got, profile) << "prefix " << n;
    else
      ASSERT_TRUE(got.empty()) << "prefix " << n;
  }
  // From a file: the prefixes around every segment's end, and some between.
  std::vector<std::size_t> ends;
  for (const Marker& m : header_markers(file)) ends.push_back(m.offset + 2 + m.length);
  for (std::size_t n = 0; n <= file.size(); n += 997) ends.push_back(n);
  for (const std::size_t end : ends) {
    for (std::size_t n = end - std::min<std::size_t>(end, 2); n <= std::min(end + 2, file.size()); ++n) {
      const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
      const MemoryFile in(prefix);
      ASSERT_EQ(jpegicc::read_icc_profile_file(in.get()).profile, jpegicc::read_icc_profile(prefix)) << "prefix " << n;
    }
  }
}

TEST(TruncatedFileTest, DecodingAnyPrefixFailsCleanlyOrKeepsTheSize) {
  const Bytes file = two_colour_picture(24, 16);
  for (std::size_t n = 0; n <= file.size(); ++n) {
    try {
      const jpegicc::Image image = jpegicc::decode_rgb(std::span(file.data(), n));
      ASSERT_EQ(image.width, 24) << "prefix " << n;
      ASSERT_EQ(image.height, 16) << "prefix " << n;
      ASSERT_EQ(image.rgb.size(), 24u * 16u * 3u) << "prefix " << n;
    } catch (const jpegicc::Error&) {
    }
  }
}

// Random byte damage anywhere in a small profiled file: every function
// either succeeds or fails with Error, and the sanitizers see no bad access.
TEST(RandomDamageTest, NoFunctionMisbehaves) {
  const Bytes file = two_colour_picture(16, 16, profile_of(300));
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> where(0, file.size() - 1);
  std::uniform_int_distribution<int> value(0, 255);
  for (int round = 0; round < 400; ++round) {
    Bytes damaged = file;
    for (int k = 0; k < 1 + round % 6; ++k) damaged[where(random)] = static_cast<std::uint8_t>(value(random));
    const Bytes profile = jpegicc::read_icc_profile(damaged);
    const MemoryFile file(damaged);
    ASSERT_EQ(jpegicc::read_icc_profile_file(file.get()).profile, profile);
    try {
      (void)jpegicc::embed_icc_profile(damaged, profile_of(20));
    } catch (const jpegicc::Error&) {
    }
    try {
      (void)jpegicc::decode_rgb(damaged);
    } catch (const jpegicc::Error&) {
    }
  }
}

struct BadPicture {
  std::string name;
  Bytes bytes;
};

void PrintTo(const BadPicture& picture, std::ostream* os) { *os << picture.name; }

class EmbedIntoDamagedFileTest : public testing::TestWithParam<BadPicture> {};

TEST_P(EmbedIntoDamagedFileTest, Throws) {
  EXPECT_THROW(jpegicc::embed_icc_profile(GetParam().bytes, profile_of(10)), jpegicc::Error);
}

Bytes truncated_in_tables() {
  Bytes file = two_colour_picture();
  file.resize(header_markers(file)[2].offset + 10);
  return file;
}

Bytes end_before_scan() {
  Bytes file = two_colour_picture();
  file.resize(scan_offset(file));
  file.push_back(0xFF);
  file.push_back(0xD9);
  return file;
}

INSTANTIATE_TEST_SUITE_P(Pictures, EmbedIntoDamagedFileTest,
                         testing::Values(BadPicture{"Empty", {}},
                                         BadPicture{"NotAJpeg", {'G', 'I', 'F', '8', '9', 'a'}},
                                         BadPicture{"StartOfImageOnly", {0xFF, 0xD8}},
                                         BadPicture{"TruncatedInTables", truncated_in_tables()},
                                         BadPicture{"EndBeforeScan", end_before_scan()}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
