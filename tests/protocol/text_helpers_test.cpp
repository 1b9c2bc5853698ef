#include <ostream>
#include <string>

#include "module_fixture.h"

namespace {

struct Hex6Case {
  int32_t n;
  const char* text;
};

void PrintTo(const Hex6Case& c, std::ostream* os) { *os << c.n; }

class Hex6Test : public ::testing::TestWithParam<Hex6Case> {};

TEST_P(Hex6Test, PadsToSixDigitsWithoutCutting) { EXPECT_EQ(hidtest::Text(HID::hex6(GetParam().n)), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Values, Hex6Test,
                         ::testing::Values(Hex6Case{0, "000000"}, Hex6Case{0x1400, "001400"},
                                           Hex6Case{0xABCDEF, "ABCDEF"}, Hex6Case{0x1234567, "1234567"},
                                           Hex6Case{-1, "FFFFFFFF"}));

struct StringToHexCase {
  const char* digits;
  int32_t value;
};

void PrintTo(const StringToHexCase& c, std::ostream* os) { *os << '"' << c.digits << '"'; }

class StringToHexTest : public ::testing::TestWithParam<StringToHexCase> {};

TEST_P(StringToHexTest, ReadsHexDigits) { EXPECT_EQ(HID::StringToHex(GetParam().digits), GetParam().value); }

// A field that a line ends inside is read from the digits that are there.
INSTANTIATE_TEST_SUITE_P(Values, StringToHexTest,
                         ::testing::Values(StringToHexCase{"1F", 31}, StringToHexCase{"00", 0},
                                           StringToHexCase{"FFFF", 65535}, StringToHexCase{"ff", 255},
                                           StringToHexCase{"F", 15}, StringToHexCase{"", 0}));

}  // namespace
