#include "framework/encoding.h"

#include <gtest/gtest.h>

#include "framework/string.h"
#include "framework/text.h"

namespace framework {
namespace {

std::string all_high_bytes() {
  std::string s;
  for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
  return s;
}

struct RoundTripCase {
  const char* name;
  TextEncoding single_byte;
  TextEncoding via;
  friend void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }
};

class EncodingRoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(EncodingRoundTripTest, EverySingleByteSurvives) {
  const RoundTripCase& c = GetParam();
  std::string bytes = all_high_bytes();
  std::string wide = convert_bytes(bytes, c.single_byte, c.via);
  EXPECT_NE(wide, bytes);
  EXPECT_EQ(convert_bytes(wide, c.via, c.single_byte), bytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, EncodingRoundTripTest,
                         ::testing::Values(RoundTripCase{"MacRomanUtf8", Encodings.MacRoman, Encodings.UTF8},
                                           RoundTripCase{"MacRomanUtf16", Encodings.MacRoman, Encodings.UTF16},
                                           RoundTripCase{"MacRomanUtf32", Encodings.MacRoman, Encodings.UTF32},
                                           RoundTripCase{"Latin1Utf8", Encodings.WindowsLatin1, Encodings.UTF8},
                                           RoundTripCase{"Latin1Utf16", Encodings.WindowsLatin1, Encodings.UTF16},
                                           RoundTripCase{"Latin1Utf32", Encodings.WindowsLatin1, Encodings.UTF32}),
                         [](const auto& info) { return std::string(info.param.name); });

struct KnownCase {
  std::string bytes;
  TextEncoding from;
  std::string utf8;
  friend void PrintTo(const KnownCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.bytes); }
};

class EncodingKnownTest : public ::testing::TestWithParam<KnownCase> {};

TEST_P(EncodingKnownTest, ConvertsToUtf8) {
  const KnownCase& c = GetParam();
  EXPECT_EQ(convert_bytes(c.bytes, c.from, Encodings.UTF8), c.utf8);
}

TEST(EncodingTest, MalformedUtf8ReadsAsReplacement) {
  EXPECT_EQ(convert_bytes("a\xC3", Encodings.UTF8, Encodings.UTF32),
            convert_bytes("a\xEF\xBF\xBD", Encodings.UTF8, Encodings.UTF32));
  EXPECT_EQ(convert_bytes("\xE0\x80\x80\xED\xA0\x80", Encodings.UTF8, Encodings.MacRoman), "??????");
  EXPECT_EQ(convert_bytes("\xC3", Encodings.UTF8, Encodings.UTF8), "\xC3");  // same encoding: untouched
}

INSTANTIATE_TEST_SUITE_P(Cases, EncodingKnownTest,
                         ::testing::Values(KnownCase{"\x8E", Encodings.MacRoman, "\xC3\xA9"},       // e acute
                                           KnownCase{"\xDB", Encodings.MacRoman, "\xE2\x82\xAC"},   // euro sign
                                           KnownCase{"\xA5", Encodings.MacRoman, "\xE2\x80\xA2"},   // bullet
                                           KnownCase{"\xE9", Encodings.WindowsLatin1, "\xC3\xA9"},  // e acute
                                           KnownCase{"\x80", Encodings.WindowsLatin1, "\xE2\x82\xAC"},
                                           KnownCase{"\x81", Encodings.WindowsLatin1, "\xC2\x81"},  // unused byte kept
                                           KnownCase{"A\x80", Encodings.ASCII, "A\xEF\xBF\xBD"},    // not ASCII
                                           KnownCase{std::string("A\0\x3D\xD8\x00\xDE", 6), Encodings.UTF16,
                                                     "A\xF0\x9F\x98\x80"},  // surrogate pair
                                           KnownCase{std::string("\x00\xD8", 2), Encodings.UTF16, "\xEF\xBF\xBD"},
                                           KnownCase{std::string("A\0\0\0\x01", 5), Encodings.UTF32, "A\xEF\xBF\xBD"},
                                           KnownCase{std::string("\x00\x00\x11\x00", 4), Encodings.UTF32,
                                                     "\xEF\xBF\xBD"},
                                           KnownCase{"\xFF\xFE", Encodings.Undetermined, "\xFF\xFE"}));

TEST(EncodingTest, Utf8RoundTripsThroughUtf16AndUtf32) {
  std::string text = "K\xC3\xA4se \xE2\x82\xAC \xF0\x9F\x98\x80";
  for (TextEncoding wide : {Encodings.UTF16, Encodings.UTF32}) {
    EXPECT_EQ(convert_bytes(convert_bytes(text, Encodings.UTF8, wide), wide, Encodings.UTF8), text);
  }
}

TEST(EncodingTest, UnmappableBecomesQuestionMark) {
  EXPECT_EQ(convert_bytes("\xE2\x82\xAC\xC3\xA9", Encodings.UTF8, Encodings.ASCII), "??");
  EXPECT_EQ(convert_bytes("\xF0\x9F\x98\x80", Encodings.UTF8, Encodings.MacRoman), "?");
}

TEST(StringTest, ConcatenationKeepsOrJoinsEncodings) {
  String ascii = String::from_bytes("Ab", Encodings.ASCII);
  String mac = String::from_bytes("\x8E", Encodings.MacRoman);
  String raw = String::from_bytes("\xFF", Encodings.Undetermined);

  String joined = ascii + mac;
  EXPECT_EQ(joined.encoding(), Encodings.MacRoman);
  EXPECT_EQ(joined.bytes(), "Ab\x8E");

  String mixed = mac + String("\xC3\xA9");
  EXPECT_EQ(mixed.encoding(), Encodings.UTF8);
  EXPECT_EQ(mixed.bytes(), "\xC3\xA9\xC3\xA9");

  String glued = ascii + raw;
  EXPECT_EQ(glued.encoding(), Encodings.Undetermined);
  EXPECT_EQ(glued.bytes(), "Ab\xFF");

  EXPECT_EQ((String() + mac).encoding(), Encodings.MacRoman);
}

TEST(StringTest, EqualityComparesText) {
  EXPECT_TRUE(String::from_bytes("\x8E", Encodings.MacRoman) == String("\xC3\xA9"));
  EXPECT_TRUE(String::from_bytes("abc", Encodings.ASCII) == String("abc"));
  EXPECT_FALSE(String("abc") == String("ABC"));
  EXPECT_TRUE(String() == String(""));
  EXPECT_TRUE(String() == String::from_bytes("", Encodings.UTF16));
  EXPECT_FALSE(String("a") == String());
}

TEST(StringTest, DefineEncodingMarksWithoutConverting) {
  String s = DefineEncoding(String("\xC3\xA9"), Encodings.ASCII);
  EXPECT_EQ(s.bytes(), "\xC3\xA9");
  EXPECT_EQ(s.encoding(), Encodings.ASCII);
  String converted = ConvertEncoding(String("\xC3\xA9"), Encodings.MacRoman);
  EXPECT_EQ(converted.bytes(), "\x8E");
  EXPECT_EQ(converted.encoding(), Encodings.MacRoman);
}

TEST(StringTest, ObjectCarriesBytesAndZeroTerminator) {
  String s("abc");
  Ref<StringObject> object = s.to_object();
  ASSERT_TRUE(object);
  EXPECT_EQ(object->c_str()[3], '\0');
  EXPECT_EQ(object->size(), 3u);
  ASSERT_TRUE(String().to_object());
  EXPECT_EQ(String().to_object()->size(), 0u);
  EXPECT_FALSE(String().object());
}

}  // namespace
}  // namespace framework
