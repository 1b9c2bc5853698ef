#include "jpegicc/jpegicc.h"
#include "mkpackage/package.h"

#include <gtest/gtest.h>

#include "scratch_dir.h"

#include <algorithm>
#include <set>

namespace {

using testsupport::ReadText;

std::vector<std::string> crlf_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  return lines;
}

TEST(SampleFirmwareTest, IsIntelHexWithCrLfAndExtendedAddresses) {
  const std::string hex = ReadText(SAMPLE_HEX_PATH);
  ASSERT_FALSE(hex.empty());
  EXPECT_EQ(std::count(hex.begin(), hex.end(), '\n'), std::count(hex.begin(), hex.end(), '\r'));

  const std::vector<std::string> lines = crlf_lines(hex);
  std::set<std::string> types;
  for (const std::string& line : lines) {
    ASSERT_GE(line.size(), 11u);
    ASSERT_EQ(line[0], ':');
    types.insert(line.substr(7, 2));
  }
  EXPECT_EQ(types, (std::set<std::string>{"00", "01", "04"}));
  EXPECT_NE(std::find(lines.begin(), lines.end(), ":020000040030CA"), lines.end());
  EXPECT_EQ(lines.back(), ":00000001FF");
}

TEST(SampleFirmwareTest, RegionImagesCoverTheDefaultDeviceWithGaps) {
  const jpegicc::Bytes program = jpegicc::read_file(SAMPLE_PROGRAM_BIN_PATH);
  const jpegicc::Bytes config = jpegicc::read_file(SAMPLE_CONFIG_BIN_PATH);
  ASSERT_EQ(program.size(), 0x7000u);  // 0x1000..0x7FFF
  EXPECT_EQ(config.size(), 14u);       // 0x300000..0x30000D

  const auto erased = [&](std::size_t from, std::size_t to) {
    return std::all_of(program.begin() + from, program.begin() + to, [](std::uint8_t b) { return b == 0xFF; });
  };
  EXPECT_FALSE(erased(0x0000, 0x3000));
  EXPECT_TRUE(erased(0x3000, 0x4000));
  EXPECT_FALSE(erased(0x4000, 0x5B2D));
  EXPECT_TRUE(erased(0x5B2D, 0x6FF0));
  EXPECT_FALSE(erased(0x6FF0, 0x7000));
  EXPECT_NE(config, jpegicc::Bytes(14, 0xFF));
}

TEST(SamplePackageTest, CarriesTheSampleFirmwareForTheDefaultDevice) {
  const jpegicc::Bytes logo = jpegicc::read_file(SAMPLE_LOGO_PATH);
  const jpegicc::Bytes profile = jpegicc::read_icc_profile(logo);
  const tools::SplitPackage package =
      tools::split_package(tools::xor_mask(std::string(profile.begin(), profile.end())));

  EXPECT_EQ(package.field_count, 6u);
  EXPECT_EQ(package.fields.version, "1.0.0");
  EXPECT_EQ(package.fields.title, "Firmware Updater");
  EXPECT_EQ(tools::read_usb_id(package.fields.vendor_id), 0x04D8);
  EXPECT_EQ(tools::read_usb_id(package.fields.product_id), 0x003C);
  EXPECT_EQ(package.fields.firmware, ReadText(SAMPLE_HEX_PATH));
  EXPECT_FALSE(package.tail);
}

struct Picture {
  const char* path;
  int width;
  int height;
};

void PrintTo(const Picture& p, std::ostream* os) { *os << p.path; }

class PictureSizeTest : public testing::TestWithParam<Picture> {};

// logo.jpg fills the 128 x 128 canvases; vastel.jpg is drawn at half size on
// the 200 x 60 ones.
TEST_P(PictureSizeTest, MatchesItsCanvas) {
  const jpegicc::Image image = jpegicc::decode_rgb(jpegicc::read_file(GetParam().path));
  EXPECT_EQ(image.width, GetParam().width);
  EXPECT_EQ(image.height, GetParam().height);
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureSizeTest,
                         testing::Values(Picture{SAMPLE_LOGO_PATH, 128, 128}, Picture{SAMPLE_VASTEL_PATH, 400, 120}));

}  // namespace
