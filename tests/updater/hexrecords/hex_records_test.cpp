#include "updater/hex_records.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using updater::HexReading;
using updater::HexRecord;
using updater::HexStop;

// 03 0030 00 02337A sums to 0xE2: its checksum is 1E.
const std::string kData = ":0300300002337A1E";
const std::string kEnd = ":00000001FF";

struct StopCase {
  const char* name;
  std::string text;
  HexStop stop;
  int32_t line;
  std::string line_text;  // the stop's line, trimmed
  bool last;
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class StopTest : public testing::TestWithParam<StopCase> {};

TEST_P(StopTest, StopsOnTheLineAndSaysWhy) {
  const HexReading reading = updater::ReadHexRecords(GetParam().text);
  EXPECT_EQ(reading.stop, GetParam().stop);
  EXPECT_EQ(reading.line, GetParam().line);
  EXPECT_EQ(reading.text, GetParam().line_text);
  EXPECT_EQ(reading.last, GetParam().last);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StopTest,
    testing::Values(
        StopCase{"EndRecord", kData + "\r\n" + kEnd + "\r\n", HexStop::kEndRecord, 2, kEnd, false},
        StopCase{"BlanksTrimmed", " \t" + kData + "\v\r\r\n\f" + kEnd, HexStop::kEndRecord, 2, kEnd, true},
        StopCase{"EmptyText", "", HexStop::kNoEndRecord, 0, "", false},
        StopCase{"NoEndRecordNorFinalLineEnd", kData + "\r\n" + kData, HexStop::kNoEndRecord, 2, kData, true},
        StopCase{"NoEndRecordBeforeTheFinalLineEnd", kData + "\r\n", HexStop::kNotARecord, 2, "", true},
        StopCase{"BlankLine", kData + "\r\n  \r\n" + kEnd, HexStop::kNotARecord, 2, "", false},
        StopCase{"LfIsNoLineEnd", kData + "\n" + kEnd + "\n", HexStop::kNoEndRecord, 1, kData + "\n" + kEnd, true},
        StopCase{"Checksum", kData + "\r\n:0300300002337A1F\r\n" + kEnd, HexStop::kChecksum, 2, ":0300300002337A1F",
                 false},
        StopCase{"RecordType", ":020000021000EC\r\n" + kEnd, HexStop::kRecordType, 1, ":020000021000EC", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HexRecordsTest, ChecksumStopCarriesBothValues) {
  const HexReading reading = updater::ReadHexRecords(":020000021000ED\r\n" + kEnd);
  EXPECT_EQ(reading.stop, HexStop::kChecksum);  // before the unknown type
  EXPECT_EQ(reading.expected, 0xEC);
  EXPECT_EQ(reading.found, 0xED);
  EXPECT_EQ(reading.type, 2);
}

TEST(HexRecordsTest, HandsOutDataAndAddressRecordsInOrder) {
  std::vector<std::string> seen;
  const std::string text = ":02000004FFFFFC\r\n" + kData + "\r\n:0000000000\r\n" + kEnd + "\r\n" + kData;
  const HexReading reading = updater::ReadHexRecords(text, [&](const HexRecord& r) {
    seen.push_back(std::to_string(r.type) + " " + std::to_string(r.count) + " " + std::to_string(r.address) + " " +
                   std::string(r.data));
  });
  EXPECT_EQ(reading.stop, HexStop::kEndRecord);
  EXPECT_EQ(seen, (std::vector<std::string>{"4 2 0 FFFF", "0 3 48 02337A", "0 0 0 "}));
}

int yields = 0;
void CountYield() { ++yields; }

// After every byte added to a checksum and every line that goes on: 7 + 1 for
// the data record, 4 for the end record.
TEST(HexRecordsTest, YieldsAfterEveryChecksumByteAndLine) {
  yields = 0;
  updater::ReadHexRecords(kData + "\r\n" + kEnd + "\r\n", {}, CountYield);
  EXPECT_EQ(yields, 12);
}

}  // namespace
