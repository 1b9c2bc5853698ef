#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "process_run.h"
#include "scratch_dir.h"

namespace {

using testsupport::Outcome;
using testsupport::ScratchDir;
using testsupport::WriteText;

// Firmware bytes at 0x1000..0x1003 and 0x2000..0x2001; the dump holds the
// first four and a different byte at 0x2000.
const std::string kFirmware =
    ":0410000001020304E2\n"
    ":02200000AA55DF\n"
    ":00000001FF\n";
const std::string kDump =
    ":0410000001020304E2\n"
    ":02200000005589\n"
    ":00000001FF\n";

struct RangeCase {
  const char* name;
  const char* first;
  const char* end;
  int exit_code;
  const char* out;  // the whole of standard output
  std::string err;  // the whole of standard error
};

void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }

class CompareMemoryTest : public testing::TestWithParam<RangeCase> {};

TEST_P(CompareMemoryTest, ReportsOnlyARangeThatHoldsFirmware) {
  ScratchDir dir;
  WriteText(dir / "fw.hex", kFirmware);
  WriteText(dir / "dump.hex", kDump);

  const Outcome run = testsupport::Run(
      {COMPARE_MEMORY_PATH, (dir / "fw.hex").string(), (dir / "dump.hex").string(), GetParam().first, GetParam().end},
      {}, std::chrono::seconds(20));

  EXPECT_EQ(run.exit_code, GetParam().exit_code) << run.out << run.err;
  EXPECT_EQ(run.out, GetParam().out);
  EXPECT_EQ(run.err, GetParam().err);
}

const char kNoRange[] = "compare_memory: the range FIRST..END is empty: FIRST must be below END\n";

std::string NotAnAddress(const std::string& which, const std::string& text) {
  return "compare_memory: " + which + " \"" + text +
         "\" is not an address (decimal, or hexadecimal after 0x, at most 0x100000000)\n";
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, CompareMemoryTest,
    testing::Values(RangeCase{"Match", "0x1000", "0x2000", 0,
                              "The device memory matches the firmware: 4 bytes in 0x1000..0x1FFF.\n", ""},
                    RangeCase{"MatchInDecimal", "4096", "8192", 0,
                              "The device memory matches the firmware: 4 bytes in 0x1000..0x1FFF.\n", ""},
                    RangeCase{"Differs", "0x1000", "0x100000000", 1,
                              "The device memory differs from the firmware at 1 of 6 addresses, first at:\n"
                              "  0x002000: firmware AA, device 00\n",
                              ""},
                    RangeCase{"Reversed", "0x2000", "0x1000", 2, "", kNoRange},
                    RangeCase{"Equal", "0x1000", "0x1000", 2, "", kNoRange},
                    RangeCase{"NoFirmwareByte", "0x3000", "0x4000", 2, "",
                              "compare_memory: the firmware holds no byte in 0x3000..0x3FFF\n"},
                    RangeCase{"TypoInEnd", "0x1000", "0x800O", 2, "", NotAnAddress("END", "0x800O")},
                    RangeCase{"NoHexDigits", "0xZZ", "0x2000", 2, "", NotAnAddress("FIRST", "0xZZ")},
                    RangeCase{"EmptyNumber", "", "0x2000", 2, "", NotAnAddress("FIRST", "")},
                    RangeCase{"Signed", "-1", "0x2000", 2, "", NotAnAddress("FIRST", "-1")},
                    RangeCase{"Beyond32Bits", "0x1000", "0x100000001", 2, "", NotAnAddress("END", "0x100000001")}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
