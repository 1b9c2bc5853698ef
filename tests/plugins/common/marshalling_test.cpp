#include <cstring>
#include <string>
#include <vector>

#include "fixture.h"

namespace {

using namespace plugincommon;

struct BuildCase {
  friend void PrintTo(const BuildCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::string bytes;
  uint32_t code;
  uint32_t expected;
};

class BuildStringTest : public PluginCommonTest, public ::testing::WithParamInterface<BuildCase> {};

TEST_P(BuildStringTest, TagsEncodingByRule) {
  Load();
  REALstring s =
      BuildStringWithEncoding(GetParam().bytes.data(), static_cast<int64_t>(GetParam().bytes.size()), GetParam().code);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(fakehost::AsString(s)->encoding, GetParam().expected);
  EXPECT_EQ(fakehost::AsString(s)->text(), GetParam().bytes);
  fakehost::Unlock(s);
}

INSTANTIATE_TEST_SUITE_P(Codes, BuildStringTest,
                         ::testing::Values(BuildCase{"AsciiMacRoman", "abc", 0x0, 0x0600},
                                           BuildCase{"HighMacRoman", "caf\xE9", 0x0, 0x0},
                                           BuildCase{"AsciiLatin1", "abc", 0x0500, 0x0600},
                                           BuildCase{"HighLatin1", "\xE9", 0x0500, 0x0500},
                                           BuildCase{"AsciiUnknown", std::string("a\0b", 3), 0xFFFF, 0x0600},
                                           BuildCase{"HighUnknown", "\x80", 0xFFFF, 0xFFFF},
                                           BuildCase{"Utf8StaysUtf8", "abc", 0x08000100, 0x08000100},
                                           BuildCase{"AsciiStaysAscii", "\xE9", 0x0600, 0x0600}),
                         [](const auto& info) { return std::string(info.param.name); });

class EmptyBuildTest : public PluginCommonTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(EmptyBuildTest, ZeroLengthOrNoBytesGiveNil) {
  Load();
  EXPECT_EQ(BuildStringWithEncoding("abc", 0, GetParam()), nullptr);
  EXPECT_EQ(BuildStringWithEncoding(nullptr, 3, GetParam()), nullptr);
  EXPECT_EQ(BuildStringWithEncoding("abc", -1, GetParam()), nullptr);
  EXPECT_EQ(BuildStringWithEncoding("abc", int64_t{1} << 31, GetParam()), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Codes, EmptyBuildTest,
                         ::testing::Values(0x0u, 0x0500u, 0x0600u, 0x0100u, 0x08000100u, 0x0C000100u, 0xFFFFu));

std::vector<uint32_t> Utf32(const std::u32string& text) { return {text.begin(), text.end()}; }

TEST_F(PluginCommonTest, Utf16BytesBecomeUtf8String) {
  Load();
  const char16_t text[] = u"Gr\u00FC\u00DFe";
  REALstring s = BuildStringWithEncoding(text, 10, REALEncodingUTF16);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(fakehost::AsString(s)->encoding, REALEncodingUTF8);
  EXPECT_EQ(fakehost::AsString(s)->text(),
            "Gr\xC3\xBC\xC3\x9F"
            "e");
  fakehost::Unlock(s);
}

struct Utf32Case {
  friend void PrintTo(const Utf32Case& c, std::ostream* os) { *os << c.name; }
  const char* name;
  size_t characters;  // of 'A'
  int64_t extra_bytes;
};

class Utf32Test : public PluginCommonTest, public ::testing::WithParamInterface<Utf32Case> {};

TEST_P(Utf32Test, WholeUnitsBecomeCharacters) {
  Load();
  std::vector<uint32_t> units(GetParam().characters + 1, 'A');
  int64_t length = static_cast<int64_t>(4 * GetParam().characters) + GetParam().extra_bytes;
  REALstring s = BuildStringWithEncoding(units.data(), length, REALEncodingUTF32);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(fakehost::AsString(s)->encoding, REALEncodingUTF8);
  EXPECT_EQ(fakehost::AsString(s)->text(), std::string(GetParam().characters, 'A'));
  fakehost::Unlock(s);
}

// 199 units fit the fixed buffer, 200 take the heap.
INSTANTIATE_TEST_SUITE_P(Lengths, Utf32Test,
                         ::testing::Values(Utf32Case{"SevenBytesOneUnit", 1, 3}, Utf32Case{"FixedBuffer", 199, 0},
                                           Utf32Case{"HeapBuffer", 200, 0}, Utf32Case{"Long", 1000, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PluginCommonTest, Utf32KeepsCharactersAboveBmp) {
  Load();
  auto units = Utf32(U"a\U0001F600b");
  units.push_back(0xD800);    // no character
  units.push_back(0x110000);  // no character
  REALstring s = UTF32BytesToString(units.data(), static_cast<int64_t>(4 * units.size()));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(fakehost::AsString(s)->text(),
            "a\xF0\x9F\x98\x80"
            "b\xEF\xBF\xBD\xEF\xBF\xBD");
  fakehost::Unlock(s);
}

TEST_F(PluginCommonTest, Utf32ShorterThanOneUnitIsNil) {
  Load();
  uint32_t unit = 'A';
  EXPECT_EQ(UTF32BytesToString(&unit, 3), nullptr);
}

TEST_F(PluginCommonTest, StringFromUtf16) {
  Load();
  const char16_t empty[] = {0, 'x', 0};
  EXPECT_EQ(StringFromUTF16(empty), nullptr);
  EXPECT_EQ(StringFromUTF16(static_cast<const char16_t*>(nullptr)), nullptr);
  REALstring s = StringFromUTF16(u"\\\\?\\hid#vid_04d8");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(fakehost::AsString(s)->text(), "\\\\?\\hid#vid_04d8");
  EXPECT_EQ(fakehost::AsString(s)->encoding, REALEncodingUTF8);
  fakehost::Unlock(s);
}

TEST_F(PluginCommonTest, ConvertersAreNilWhenHostCannotConvert) {
  Load();
  host().fail_convert = true;
  EXPECT_EQ(StringFromUTF16(u"abc"), nullptr);  // the UTF-16 string is released
}

TEST_F(PluginCommonTest, ConvertersAreNilWithoutStringService) {
  Lack("REALBuildString");
  Load();
  EXPECT_EQ(BuildStringWithEncoding("abc", 3, 0), nullptr);
  EXPECT_EQ(StringFromUTF16(u"abc"), nullptr);
}

TEST_F(PluginCommonTest, MemoryBlockFromBytesCopiesThem) {
  Load();
  const unsigned char bytes[] = {1, 2, 3, 0xFF};
  REALmemoryBlock block = NewMemoryBlockFromBytes(bytes, 4);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(fakehost::AsBlock(block)->bytes, (std::vector<unsigned char>{1, 2, 3, 0xFF}));
  fakehost::Unlock(block);
  EXPECT_TRUE(host().raised.empty());
}

TEST_F(PluginCommonTest, MemoryBlockFromNoBytesIsNilWithoutException) {
  Load();
  EXPECT_EQ(NewMemoryBlockFromBytes(nullptr, 4), nullptr);
  EXPECT_EQ(NewMemoryBlockFromBytes("a", 0), nullptr);
  EXPECT_EQ(NewMemoryBlockFromBytes("a", -3), nullptr);
  EXPECT_TRUE(host().raised.empty());
}

struct OutOfMemoryCase {
  friend void PrintTo(const OutOfMemoryCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  int64_t size;
  bool host_fails;
};

class OutOfMemoryTest : public PluginCommonTest, public ::testing::WithParamInterface<OutOfMemoryCase> {};

TEST_P(OutOfMemoryTest, RaisesWithRequestedSize) {
  Load();
  host().fail_new_block = GetParam().host_fails;
  static const unsigned char bytes[16] = {};
  EXPECT_EQ(NewMemoryBlockFromBytes(bytes, GetParam().size), nullptr);
  ASSERT_EQ(host().raised.size(), 1u);
  EXPECT_EQ(host().raised[0]->class_name, "OutOfMemoryException");
  EXPECT_EQ(host().raised[0]->string_props["Message"],
            "Failed to allocate a memoryblock with " + std::to_string(GetParam().size) + " bytes in size.");
  EXPECT_EQ(host().raised[0]->int_props["ErrorNumber"], 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, OutOfMemoryTest,
                         ::testing::Values(OutOfMemoryCase{"HostGivesNone", 16, true},
                                           OutOfMemoryCase{"AtLimit", 2147483647, false},
                                           OutOfMemoryCase{"BeyondLimit", int64_t{5000000000}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PluginCommonTest, MemoryBlockWithoutBytesIsReleased) {
  Load();
  host().null_block_ptr = true;
  EXPECT_EQ(NewMemoryBlockFromBytes("abcd", 4), nullptr);
  EXPECT_TRUE(host().raised.empty());
  // TearDown checks that the block did not stay behind.
}

TEST_F(PluginCommonTest, RaiseSetsMessageAndErrorNumber) {
  Load();
  RaiseException("NilObjectException", "memoryblock is nil");
  ASSERT_EQ(host().raised.size(), 1u);
  EXPECT_EQ(host().raised[0]->class_name, "NilObjectException");
  EXPECT_EQ(host().raised[0]->string_props["Message"], "memoryblock is nil");
  EXPECT_EQ(host().raised[0]->int_props["ErrorNumber"], 0);
}

TEST_F(PluginCommonTest, RaiseWithEmptyMessageSetsNilMessage) {
  Load();
  RaiseException("UnsupportedOperationException", "");
  RaiseException("UnsupportedOperationException", nullptr);
  ASSERT_EQ(host().raised.size(), 2u);
  EXPECT_EQ(host().raised[0]->string_props["Message"], "<nil>");
  EXPECT_EQ(host().raised[1]->string_props["Message"], "<nil>");
  EXPECT_EQ(host().raised[0]->int_props["ErrorNumber"], 0);
}

TEST_F(PluginCommonTest, RaiseFallsBackToRuntimeException) {
  Load();
  RaiseException("NoSuchException", "x");
  ASSERT_EQ(host().raised.size(), 1u);
  EXPECT_EQ(host().raised[0]->class_name, "RuntimeException");
}

TEST_F(PluginCommonTest, RaiseWithoutAnyClassRaisesNothingAndReleasesMessage) {
  Load();
  host().known_classes.clear();
  RaiseException("NilObjectException", "memoryblock is nil");
  EXPECT_TRUE(host().raised.empty());
  // TearDown: the message string is gone.
}

TEST_F(PluginCommonTest, RaiseWithoutRaiseServiceDropsException) {
  Lack("RuntimeRaiseException");
  Load();
  RaiseException("NilObjectException", "memoryblock is nil");
  EXPECT_TRUE(host().raised.empty());
  EXPECT_EQ(host().live_objects, 0);
}

struct AllocCase {
  friend void PrintTo(const AllocCase& c, std::ostream* os) { *os << c.size; }
  int64_t size;
  bool gives_block;
};

class AllocZeroedTest : public ::testing::TestWithParam<AllocCase> {};

TEST_P(AllocZeroedTest, GivesZeroedBlockOnlyForSizeInRange) {
  auto* block = static_cast<unsigned char*>(AllocZeroed(GetParam().size));
  EXPECT_EQ(block != nullptr, GetParam().gives_block);
  if (block != nullptr) {
    for (int64_t i = 0; i < GetParam().size; ++i) ASSERT_EQ(block[i], 0);
  }
  FreeAlloc(block);
}

INSTANTIATE_TEST_SUITE_P(Sizes, AllocZeroedTest,
                         ::testing::Values(AllocCase{0, false}, AllocCase{-1, false},
                                           AllocCase{int64_t{1} << 31, false}, AllocCase{int64_t{1} << 40, false},
                                           AllocCase{1, true}, AllocCase{1040, true}));

TEST(ClearBytesTest, ClearsExactlyCountBytes) {
  unsigned char bytes[6] = {1, 2, 3, 4, 5, 6};
  ClearBytes(bytes + 1, 3);
  EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 6), (std::vector<unsigned char>{1, 0, 0, 0, 5, 6}));
  ClearBytes(bytes, -1);
  ClearBytes(nullptr, 4);
  EXPECT_EQ(bytes[0], 1);
}

}  // namespace
