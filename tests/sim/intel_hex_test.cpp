#include <sim/intel_hex.h>

#include <gtest/gtest.h>

namespace {

using sim::HexImage;

TEST(IntelHexWriterTest, SplitsAtTheSegmentBoundaryWithAnExtendedAddress) {
  std::vector<uint8_t> bytes;
  for (uint8_t i = 0; i < 12; ++i) bytes.push_back(i);

  std::string text = sim::write_intel_hex({{0xFFF8, bytes}});

  EXPECT_EQ(text,
            ":08FFF8000001020304050607E5\r\n"
            ":020000040001F9\r\n"
            ":0400000008090A0BD6\r\n"
            ":00000001FF\r\n");
}

TEST(IntelHexWriterTest, RoundTripsThroughTheReader) {
  std::vector<sim::HexBlock> blocks = {
      {0x1000, std::vector<uint8_t>(40, 0xA5)},
      {0x1D000000, std::vector<uint8_t>(20, 0x3C)},
      {0x300000, std::vector<uint8_t>(14, 0xFF)},
  };
  HexImage expected;
  for (const auto& b : blocks) {
    for (size_t i = 0; i < b.bytes.size(); ++i) expected[b.address + static_cast<uint32_t>(i)] = b.bytes[i];
  }

  EXPECT_EQ(sim::read_intel_hex(sim::write_intel_hex(blocks)), expected);
}

TEST(IntelHexReaderTest, ReadsSegmentAddressesAndSkipsStartRecords) {
  HexImage image = sim::read_intel_hex(
      "  :0300300002337A1E  \n"
      "\n"
      ":020000021000EC\r\n"
      ":02001000AABB89\r\n"
      ":0400000300001000E9\n"
      ":00000001FF\n"
      "garbage after the end\n");

  EXPECT_EQ(image, (HexImage{{0x30, 0x02}, {0x31, 0x33}, {0x32, 0x7A}, {0x10010, 0xAA}, {0x10011, 0xBB}}));
}

struct BadText {
  const char* name;
  const char* text;
  int line;
  const char* message;
};

void PrintTo(const BadText& c, std::ostream* os) { *os << c.name; }

class IntelHexRejectTest : public testing::TestWithParam<BadText> {};

TEST_P(IntelHexRejectTest, NamesTheFault) {
  const auto& c = GetParam();
  try {
    sim::read_intel_hex(c.text);
    FAIL() << "accepted";
  } catch (const sim::HexError& e) {
    EXPECT_EQ(e.line(), c.line);
    EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, IntelHexRejectTest,
                         testing::Values(BadText{"no_colon", "0300300002337A1E\n:00000001FF\n", 1, "':'"},
                                         BadText{"checksum", ":0300300002337A1F\n:00000001FF\n", 1, "checksum"},
                                         BadText{"odd_digits", ":0300300002337A1\n", 1, "malformed"},
                                         BadText{"not_hex", ":03003000023G7A1E\n", 1, "hexadecimal"},
                                         BadText{"count", ":0400300002337A1D\n", 1, "byte count"},
                                         BadText{"type", ":00000006FA\n", 1, "record type 6"},
                                         BadText{"short_extended", ":0100000400FB\n", 1, "two bytes"},
                                         BadText{"no_end", ":0300300002337A1E\n", 0, "no end record"},
                                         BadText{"second_line", ":0300300002337A1E\n:0300300002337A1F\n", 2,
                                                 "checksum"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IntelHexDifferencesTest, ListsChangedAndMissingBytesInOrder) {
  HexImage expected{{1, 0x10}, {2, 0x20}, {3, 0x30}, {4, 0x40}};
  HexImage actual{{1, 0x10}, {2, 0x21}, {4, 0x40}, {9, 0x99}};

  auto diffs = sim::differences(expected, actual);

  ASSERT_EQ(diffs.size(), 2u);
  EXPECT_EQ(diffs[0].address, 2u);
  EXPECT_EQ(diffs[0].expected, 0x20);
  EXPECT_EQ(diffs[0].actual, 0x21);
  EXPECT_EQ(diffs[1].address, 3u);
  EXPECT_EQ(diffs[1].actual, -1);
  EXPECT_EQ(sim::differences(expected, actual, 1).size(), 1u);
  EXPECT_TRUE(sim::differences(actual, actual).empty());
}

}  // namespace
