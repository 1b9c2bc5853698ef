#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "reader_fixture.h"
#include "updater/hex_records.h"

namespace {

using hidtest::ReaderTest;

struct TextCase {
  const char* name;
  std::string text;
  bool result;
  std::vector<std::string> messages;
};

// 03 0030 00 02337A sums to 0xE2: its checksum is 1E.
const std::string kData = ":0300300002337A1E";
const std::string kEnd = ":00000001FF";

const std::vector<TextCase>& Cases() {
  static const std::vector<TextCase> cases = {
      {"EndRecordFollowedByCrLf", kData + "\r\n" + kEnd + "\r\n", true, {}},
      {"ChecksumMismatch", ":0300300002337A1F\r\n" + kEnd + "\r\n", false, {"Checksum Error: 30 <> 31"}},
      {"EmptyLineBeforeTheEnd", kData + "\r\n\r\n" + kEnd + "\r\n", false, {"Invalid file format."}},
      {"NoEndRecordWithFinalCrLf", kData + "\r\n", false, {"Invalid file format."}},
      {"NoEndRecordWithoutFinalCrLf", kData + "\r\n" + kData, false, {}},
      {"LfOnlyIsOneLine", kData + "\n" + kEnd + "\n", false, {}},
      {"LfOnlyWithTheEndRecordFirst", kEnd + "\n" + kData + "\n", true, {}},
      {"NothingAfterTheEndRecordIsRead", kEnd + "\r\ngarbage\r\n", true, {}},
      {"LineNotARecord", "garbage\r\n" + kEnd + "\r\n", false, {"Invalid file format."}},
      {"TextAfterTheChecksumIgnored", kData + "XYZ\r\n" + kEnd + "\r\n", true, {}},
      {"BlanksAroundARecordIgnored", " \t" + kData + " \r\r\n\v\f" + kEnd + "\t\r\n", true, {}},
      {"RecordType2", ":020000021000EC\r\n" + kEnd + "\r\n", false, {"Invalid file format.\n\nrecordType=2"}},
      {"RecordType3", ":0400000300001000E9\r\n" + kEnd + "\r\n", false, {"Invalid file format.\n\nrecordType=3"}},
      {"RecordType5", ":0400000500001000E7\r\n" + kEnd + "\r\n", false, {"Invalid file format.\n\nrecordType=5"}},
      {"ChecksumCutShortReadsTheDigitsThere",
       ":0300300002337A1\r\n" + kEnd + "\r\n",
       false,
       {"Checksum Error: 30 <> 1"}},
      {"ChecksumMissingReadsAsZero", ":0300300002337A\r\n" + kEnd + "\r\n", false, {"Checksum Error: 30 <> 0"}},
      {"ChecksumCheckedBeforeTheType", ":020000021000ED\r\n" + kEnd + "\r\n", false, {"Checksum Error: 236 <> 237"}},
  };
  return cases;
}

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class ReadFileTextTest : public ReaderTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(ReadFileTextTest, EndsAsExpected) {
  MakeRegions(1, {{1, 0x0, 0x100}});
  EXPECT_EQ(Read(GetParam().text), GetParam().result);
  EXPECT_EQ(messages, GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadFileTextTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The package maker refuses a firmware on these same rules: it must agree
// with the reader on every text.
TEST_P(ReadFileTextTest, TheRecordRulesAgree) {
  EXPECT_EQ(updater::ReadHexRecords(GetParam().text).stop == updater::HexStop::kEndRecord, GetParam().result);
}

TEST_F(ReaderTest, PlacesTheRecordAndMarksTheTextAscii) {
  MakeRegions(1, {{1, 0x20, 0x20}});
  ASSERT_TRUE(Read(kData + "\r\n" + kEnd + "\r\n"));
  std::vector<uint8_t> expected(0x20, 0xFF);
  expected[0x10] = 0x02;
  expected[0x11] = 0x33;
  expected[0x12] = 0x7A;
  expected.resize(0x20 + 10, 0);
  EXPECT_EQ(ImageOf(0), expected);
  EXPECT_EQ(HID::datafile.encoding(), framework::Encodings.ASCII);
}

TEST_F(ReaderTest, WithoutRegionsReadsToTheEndAndWritesNothing) {
  EXPECT_TRUE(Read(kData + "\r\n" + kEnd + "\r\n"));
  EXPECT_TRUE(messages.empty());
}

// A pair reads as StringToHex reads "&h" and its two digits: either case, and
// only the digits before the first that is none ("1G" is 1, "G1" is 0), in
// the data and in the checksum alike (03 + AB + 01 + 00 sums to 0xAF: 51).
TEST_F(ReaderTest, PairsReadUpToTheirFirstNonDigit) {
  MakeRegions(1, {{1, 0x0, 0x10}});
  ASSERT_TRUE(Read(":03000000aB1GG151\r\n:01000300G2FCxy\r\n" + kEnd + "\r\n")) << ::testing::PrintToString(messages);
  std::vector<uint8_t> expected(0x10, 0xFF);
  expected[0] = 0xAB;
  expected[1] = 0x01;
  expected[2] = 0x00;
  expected[3] = 0x00;
  expected.resize(0x10 + 10, 0);
  EXPECT_EQ(ImageOf(0), expected);
}

// Addresses are 32-bit signed: a region at 0xFFFFFFF0 takes the bytes below 0
// and above it alike.
TEST_F(ReaderTest, AddressesWrapAsSigned32Bit) {
  MakeRegions(1, {{1, -16, 32}});
  ASSERT_TRUE(Read(":02000004FFFFFC\r\n:02FFF000A1A2CC\r\n:020000040000FA\r\n:02000000B1B29B\r\n" + kEnd + "\r\n"));
  std::vector<uint8_t> expected(32, 0xFF);
  expected[0] = 0xA1;
  expected[1] = 0xA2;
  expected[16] = 0xB1;
  expected[17] = 0xB2;
  expected.resize(42, 0);
  EXPECT_EQ(ImageOf(0), expected);
  EXPECT_TRUE(messages.empty());
}

// One record line: count, 16-bit address, type, data and checksum.
std::string Record(int type, uint16_t address, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes{uint8_t(data.size()), uint8_t(address >> 8), uint8_t(address), uint8_t(type)};
  bytes.insert(bytes.end(), data.begin(), data.end());
  int sum = 0;
  for (uint8_t b : bytes) sum += b;
  bytes.push_back(uint8_t(-sum));
  std::string line = ":";
  char digits[3];
  for (uint8_t b : bytes) {
    std::snprintf(digits, sizeof digits, "%02X", b);
    line += digits;
  }
  return line + "\r\n";
}

std::vector<uint8_t> Counting(uint8_t first, int n) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < n; ++i) bytes.push_back(uint8_t(first + i));
  return bytes;
}

// A data record of 16 bytes 0x40.. at byte address `at` (upper 16 bits in an
// extended address record) against one family-1 region.
struct PlacementCase {
  const char* name;
  int32_t address, size;
  uint32_t at;
  int32_t offset;  // where the record's byte `skipped` lands in the image
  int skipped;     // the record's bytes that lie below the region
  int written;
  std::vector<std::string> messages;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class RecordPlacementTest : public ReaderTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(RecordPlacementTest, WritesTheBytesThatFallInsideTheRegion) {
  const PlacementCase& c = GetParam();
  MakeRegions(1, {{1, c.address, c.size}});
  const std::string text = Record(4, 0, {uint8_t(c.at >> 24), uint8_t(c.at >> 16)}) +
                           Record(0, uint16_t(c.at), Counting(0x40, 16)) + kEnd + "\r\n";
  ASSERT_TRUE(Read(text));
  std::vector<uint8_t> expected(size_t(c.size), 0xFF);
  expected.resize(size_t(c.size) + 10, 0);
  for (int i = 0; i < c.written; ++i) expected[size_t(c.offset + i)] = uint8_t(0x40 + c.skipped + i);
  EXPECT_EQ(ImageOf(0), expected);
  EXPECT_EQ(messages, c.messages);
}

INSTANTIATE_TEST_SUITE_P(
    Records, RecordPlacementTest,
    ::testing::Values(
        PlacementCase{"StartingBelowAndRunningIn", 0x1000, 0x20, 0x0FF8, 0, 8, 8, {}},
        PlacementCase{"StartingBelowAndRunningPastTheEnd", 0x1000, 4, 0x0FF8, 0, 8, 5, {"Warning: p=5 over limit=5"}},
        PlacementCase{"EndingJustBelow", 0x1000, 0x20, 0x0FF0, 0, 0, 0, {}},
        PlacementCase{"StartingInside", 0x1000, 0x20, 0x1008, 8, 0, 16, {}},
        PlacementCase{"CrossingTheSignBoundary", 0x7FFFFFF8, 0x20, 0x7FFFFFF8, 0, 0, 16, {}},
        PlacementCase{"RunningIntoARegionAtTheSignBoundary", int32_t(0x80000000), 0x20, 0x7FFFFFF8, 0, 8, 8, {}},
        PlacementCase{"EndingAtTheTopOfTheAddressSpace", -16, 16, 0xFFFFFFF0, 0, 0, 16, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// An image made while the device had one byte per address, read after a query
// that said two: the image's end is the limit, nothing is written past it.
TEST_F(ReaderTest, ImageSmallerThanTheLimitIsItsOwnLimit) {
  MakeRegions(1, {{1, 0x10, 16}});  // 26-byte image
  HID::bytesPerAddress = 2;         // byte addresses from 0x20, limit 34
  ASSERT_TRUE(Read(":0A0034000001020304050607080995\r\n" + kEnd + "\r\n"));
  std::vector<uint8_t> expected(16, 0xFF);
  expected.resize(26, 0);
  for (int p = 20; p < 26; ++p) expected[p] = static_cast<uint8_t>(p - 20);
  EXPECT_EQ(ImageOf(0), expected);
  EXPECT_EQ(messages, std::vector<std::string>{"Warning: p=26 over limit=26"});
}

// What step 2 decides on: the bytes stored where programming sends, once for
// each region. Not the configuration region, not the byte past a region's end.
TEST_F(ReaderTest, CountsTheBytesPlacedForProgramming) {
  MakeRegions(1, {{1, 0x1000, 4}, {3, 0x2000, 0x20}, {2, 0x1000, 0x10}});
  HID::datafile = framework::String(Record(0, 0x1000, Counting(0x40, 8)) + Record(0, 0x2000, Counting(0x50, 3)) +
                                    Record(0, 0x3000, Counting(0x60, 3)) + kEnd + "\r\n");
  int64_t programmable = -1;
  ASSERT_TRUE(updater::ReadFile(bound, &programmable));
  EXPECT_EQ(programmable, 4 + 8);
  EXPECT_EQ(ImageOf(0)[4], 0x44);  // stored past the end, but never sent
}

}  // namespace
