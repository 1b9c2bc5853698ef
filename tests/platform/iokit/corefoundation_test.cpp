#include <ostream>
#include "iokit/corefoundation.h"

#include "cf_internal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

extern "C" int iokit_c_header_length(void);

namespace {

struct StringCase {
  friend void PrintTo(const StringCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::string text;
  CFIndex utf16_length;
  std::string utf8;  // what CFStringGetCString gives
};

class CFStringTest : public testing::TestWithParam<StringCase> {};

TEST_P(CFStringTest, CountsUtf16UnitsAndGivesUtf8Back) {
  const auto& c = GetParam();
  CFStringRef s = CFStringMakeConstant(c.text.c_str());
  EXPECT_EQ(CFStringGetLength(s), c.utf16_length);
  char buffer[64];
  ASSERT_TRUE(CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8));
  EXPECT_EQ(std::string(buffer), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(Texts, CFStringTest,
                         testing::Values(StringCase{"Ascii", "PIC Bootloader", 14, "PIC Bootloader"},
                                         StringCase{"Empty", "", 0, ""},
                                         StringCase{"TwoByte", "Ger\xC3\xA4t", 5, "Ger\xC3\xA4t"},
                                         StringCase{"AstralTakesTwoUnits", "\xF0\x9F\x98\x80", 2, "\xF0\x9F\x98\x80"},
                                         StringCase{"MalformedBecomesReplacement",
                                                    "a\xFF"
                                                    "b",
                                                    3,
                                                    "a\xEF\xBF\xBD"
                                                    "b"},
                                         StringCase{"TruncatedSequence", "x\xE2\x82", 3, "x\xEF\xBF\xBD\xEF\xBF\xBD"}),
                         [](const auto& info) { return info.param.name; });

TEST(CFStringGetCStringTest, RefusesWhatDoesNotFitOrConvert) {
  CFStringRef s = CFSTR("abcd");
  char buffer[8] = {};
  EXPECT_FALSE(CFStringGetCString(s, buffer, 4, kCFStringEncodingUTF8));  // no room for the zero
  EXPECT_TRUE(CFStringGetCString(s, buffer, 5, kCFStringEncodingUTF8));
  EXPECT_TRUE(CFStringGetCString(s, buffer, 5, kCFStringEncodingASCII));
  EXPECT_FALSE(CFStringGetCString(CFSTR("\xC3\xA4"), buffer, 8, kCFStringEncodingASCII));
  EXPECT_FALSE(CFStringGetCString(s, buffer, 8, kCFStringEncodingMacRoman));
  EXPECT_FALSE(CFStringGetCString(nullptr, buffer, 8, kCFStringEncodingUTF8));
}

TEST(CFStringTest, ConstantTextsAreOneObjectAndSurviveRelease) {
  CFStringRef a = CFSTR("Product");
  CFRelease(a);
  EXPECT_EQ(CFSTR("Product"), a);
  EXPECT_EQ(CFStringGetLength(a), 7);
  EXPECT_EQ(iokit_c_header_length(), 3);
}

TEST(CFUUIDTest, SameBytesGiveTheSameConstant) {
  CFUUIDRef a = CFUUIDGetConstantUUIDWithBytes(nullptr, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  CFUUIDRef b = CFUUIDGetConstantUUIDWithBytes(nullptr, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  CFUUIDRef c = CFUUIDGetConstantUUIDWithBytes(nullptr, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  const CFUUIDBytes bytes = CFUUIDGetUUIDBytes(c);
  EXPECT_EQ(bytes.byte0, 1);
  EXPECT_EQ(bytes.byte15, 17);
}

TEST(CFReleaseTest, NilIsIgnored) { CFRelease(nullptr); }

struct NumberCase {
  friend void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::int64_t value;
  CFNumberType type;
  bool converts;
  std::int64_t written;
};

class CFNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(CFNumberTest, ConvertsOrSaysItDidNot) {
  const auto& c = GetParam();
  CFNumberRef n = iokit::cf::make_number(c.value);
  std::int64_t out = 0x5A5A;
  const bool ok = CFNumberGetValue(n, c.type, &out);
  EXPECT_EQ(ok, c.converts);
  if (c.type == kCFNumberSInt32Type || c.type == kCFNumberIntType)
    EXPECT_EQ(static_cast<std::int32_t>(out), c.written);
  else
    EXPECT_EQ(out, c.written);
  CFRelease(n);
}

INSTANTIATE_TEST_SUITE_P(Values, CFNumberTest,
                         testing::Values(NumberCase{"VendorId", 0x04D8, kCFNumberIntType, true, 0x04D8},
                                         NumberCase{"Negative", -5, kCFNumberSInt32Type, true, -5},
                                         NumberCase{"TooWideIsTruncated", 0x100000001LL, kCFNumberIntType, false, 1},
                                         NumberCase{"Wide", 0x100000001LL, kCFNumberSInt64Type, true, 0x100000001LL},
                                         NumberCase{"FloatTypeIsRefused", 7, 12, false, 0x5A5A}),
                         [](const auto& info) { return info.param.name; });

TEST(CFDictionaryTest, FindsStringKeysByValueAndKeepsItsValues) {
  CFMutableDictionaryRef d = iokit::cf::make_dictionary();
  CFStringRef key = iokit::cf::make_string("VendorID");
  CFNumberRef value = iokit::cf::make_number(0x04D8);
  iokit::cf::dictionary_set(d, key, value);
  CFRelease(key);
  CFRelease(value);  // the dictionary holds its own references

  auto* found = static_cast<CFNumberRef>(CFDictionaryGetValue(d, CFSTR("VendorID")));
  ASSERT_NE(found, nullptr);
  int v = 0;
  EXPECT_TRUE(CFNumberGetValue(found, kCFNumberIntType, &v));
  EXPECT_EQ(v, 0x04D8);
  EXPECT_EQ(CFDictionaryGetValue(d, CFSTR("ProductID")), nullptr);
  EXPECT_EQ(CFDictionaryGetValue(nullptr, CFSTR("VendorID")), nullptr);
  CFRelease(d);
}

TEST(CFRunLoopTest, KeepsASourceWhileItIsOnTheLoop) {
  std::vector<bool> changes;
  CFRunLoopSourceRef source = iokit::cf::make_source([&](bool on) { changes.push_back(on); });
  CFRunLoopAddSource(CFRunLoopGetMain(), source, kCFRunLoopDefaultMode);
  CFRunLoopAddSource(CFRunLoopGetMain(), source, kCFRunLoopDefaultMode);
  CFRelease(source);  // the loop's reference keeps it
  CFRunLoopRemoveSource(CFRunLoopGetMain(), source, kCFRunLoopDefaultMode);
  EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

}  // namespace
