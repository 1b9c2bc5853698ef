#include "framework/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <limits>

#include "framework/numbers.h"

namespace framework {
namespace {

struct FieldCase {
  const char* text;
  const char* separator;
  int32_t n;
  const char* expected;
  friend void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.text << " by '" << c.separator << "' " << c.n; }
};

class NthFieldBTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(NthFieldBTest, PicksFieldCountedFromOne) {
  const FieldCase& c = GetParam();
  EXPECT_EQ(NthFieldB(c.text, c.separator, c.n).bytes(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, NthFieldBTest,
                         ::testing::Values(FieldCase{"a$b$c", "$", 1, "a"}, FieldCase{"a$b$c", "$", 3, "c"},
                                           FieldCase{"a$b$c", "$", 4, ""}, FieldCase{"a$b$c", "$", 0, ""},
                                           FieldCase{"$x$", "$", 1, ""}, FieldCase{"$x$", "$", 3, ""},
                                           FieldCase{"a<>b", "<>", 2, "b"}, FieldCase{"abc", "", 1, ""},
                                           FieldCase{"abc", "$", 1, "abc"}));

struct SplitCase {
  const char* text;
  const char* delimiter;
  std::vector<std::string> pieces;
  friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << ::testing::PrintToString(std::string(c.text)); }
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, CutsAtEveryDelimiter) {
  const SplitCase& c = GetParam();
  std::vector<std::string> got;
  for (const String& s : Split(c.text, c.delimiter)) got.emplace_back(s.bytes());
  EXPECT_EQ(got, c.pieces);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitTest,
                         ::testing::Values(SplitCase{":00\r\n:01\r\n", "\r\n", {":00", ":01", ""}},
                                           SplitCase{":00\r\n:01", "\r\n", {":00", ":01"}},
                                           SplitCase{":00\n:01\n", "\r\n", {":00\n:01\n"}}, SplitCase{"", ",", {}},
                                           SplitCase{",,", ",", {"", "", ""}},
                                           SplitCase{"h\xC3\xA9", "", {"h", "\xC3\xA9"}}));

TEST(SplitTest, JoinPutsPiecesBack) {
  String text(":10\r\n\r\n:00\r\n");
  EXPECT_EQ(Join(Split(text, EndOfLine.Windows()), EndOfLine.Windows()), text);
}

struct ValCase {
  const char* text;
  double expected;
  friend void PrintTo(const ValCase& c, std::ostream* os) { *os << c.text; }
};

class ValTest : public ::testing::TestWithParam<ValCase> {};

TEST_P(ValTest, ReadsLeadingNumber) {
  const ValCase& c = GetParam();
  EXPECT_DOUBLE_EQ(Val(c.text), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Cases, ValTest,
                         ::testing::Values(ValCase{"42", 42}, ValCase{"  -17abc", -17}, ValCase{"3.5e2", 350},
                                           ValCase{"&h1F", 31}, ValCase{"&hFFFF", 65535}, ValCase{"&h00", 0},
                                           ValCase{"&HfF", 255}, ValCase{"&h1G", 1}, ValCase{"&h", 0},
                                           ValCase{"&hFFFFFFFF", 4294967295.0}, ValCase{"", 0}, ValCase{"abc", 0},
                                           ValCase{"nan", 0}, ValCase{"inf", 0}, ValCase{"0x10", 0}, ValCase{"+7", 7},
                                           ValCase{"1e", 1}));

struct HexStrCase {
  int64_t value;
  const char* hex;
  const char* str;
  friend void PrintTo(const HexStrCase& c, std::ostream* os) { *os << c.value; }
};

class HexStrTest : public ::testing::TestWithParam<HexStrCase> {};

TEST_P(HexStrTest, FormatsIntegers) {
  const HexStrCase& c = GetParam();
  EXPECT_EQ(Hex(c.value).bytes(), c.hex);
  EXPECT_EQ(Str(c.value).bytes(), c.str);
}

INSTANTIATE_TEST_SUITE_P(Cases, HexStrTest,
                         ::testing::Values(HexStrCase{0, "0", "0"}, HexStrCase{0x1400, "1400", "5120"},
                                           HexStrCase{0x1234567, "1234567", "19088743"},
                                           HexStrCase{-1, "FFFFFFFF", "-1"},
                                           HexStrCase{INT32_MIN, "80000000", "-2147483648"},
                                           HexStrCase{0xABCDEF, "ABCDEF", "11259375"},
                                           HexStrCase{int64_t{1} << 40, "10000000000", "1099511627776"},
                                           HexStrCase{int64_t{INT32_MIN} - 1, "FFFFFFFF7FFFFFFF", "-2147483649"}));

TEST(HexStrTest, UnsignedAndNarrowTypes) {
  EXPECT_EQ(Hex(uint32_t{0xFFFFFFFF}).bytes(), "FFFFFFFF");
  EXPECT_EQ(Hex(int8_t{-1}).bytes(), "FFFFFFFF");
  EXPECT_EQ(Str(uint8_t{200}).bytes(), "200");
  EXPECT_EQ(Str(12.0).bytes(), "12");
  EXPECT_EQ(Str(-0.5).bytes(), "-0.5");
}

struct ToInt32Case {
  double value;
  int32_t expected;
  friend void PrintTo(const ToInt32Case& c, std::ostream* os) { *os << std::setprecision(15) << c.value; }
};

class ToInt32Test : public ::testing::TestWithParam<ToInt32Case> {};

TEST_P(ToInt32Test, TruncatesOrGivesMinimum) { EXPECT_EQ(to_int32(GetParam().value), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Cases, ToInt32Test,
                         ::testing::Values(ToInt32Case{0.0, 0}, ToInt32Case{56.99, 56}, ToInt32Case{-56.99, -56},
                                           ToInt32Case{2147483647.9, 2147483647}, ToInt32Case{-2147483648.9, INT32_MIN},
                                           ToInt32Case{2147483648.0, INT32_MIN}, ToInt32Case{-2147483649.0, INT32_MIN},
                                           ToInt32Case{1e300, INT32_MIN},
                                           ToInt32Case{std::numeric_limits<double>::infinity(), INT32_MIN},
                                           ToInt32Case{-std::numeric_limits<double>::infinity(), INT32_MIN},
                                           ToInt32Case{std::nan(""), INT32_MIN}));

TEST(ByteTextTest, LeftMidTrimAndLengths) {
  String s("  :1000 \t\r\n");
  EXPECT_EQ(Trim(s).bytes(), ":1000");
  EXPECT_EQ(Trim("   ").bytes(), "");
  String line(":0300300002337A1E");
  EXPECT_EQ(LeftB(line, 1).bytes(), ":");
  EXPECT_EQ(LeftB(line, 0).bytes(), "");
  EXPECT_EQ(LeftB(line, 100), line);
  EXPECT_EQ(MidB(line, 2, 2).bytes(), "03");
  EXPECT_EQ(MidB(line, 16, 4).bytes(), "1E");  // runs out at the end
  EXPECT_EQ(MidB(line, 40, 2).bytes(), "");
  EXPECT_EQ(MidB(line, 0, 1).bytes(), ":");
  EXPECT_EQ(MidB(line, 10).bytes(), "02337A1E");
  EXPECT_EQ(LenB(line), 17);
  String accented("h\xC3\xA9!");
  EXPECT_EQ(LenB(accented), 4);
  EXPECT_EQ(Len(accented), 3);
  EXPECT_EQ(Len(DefineEncoding(accented, Encodings.MacRoman)), 4);
}

TEST(ByteTextTest, ChecksumArithmeticOn64Bits) {
  // Sum of 03 00 30 00 02 33 7A; expected checksum 0x1E.
  int64_t sum = 0x03 + 0x00 + 0x30 + 0x00 + 0x02 + 0x33 + 0x7A;
  EXPECT_EQ(BitwiseAnd(Bitwise.OnesComplement(sum) + 1, 0xFF), 0x1E);
  EXPECT_EQ(Bitwise.OnesComplement(0), -1);
}

TEST(ByteTextTest, MessagesJoinWithPlatformLineEnds) {
  String message = String("Invalid file format.") + EndOfLine + EndOfLine + "recordType=" + Str(2);
  EXPECT_EQ(message.bytes(), "Invalid file format.\n\nrecordType=2");
  EXPECT_EQ(EndOfLine.Windows().bytes(), "\r\n");
}

}  // namespace
}  // namespace framework
