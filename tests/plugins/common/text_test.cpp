#include <cmath>
#include <limits>
#include <string>

#include "fixture.h"

namespace {

using namespace plugincommon;

std::string Bytes(const unsigned char* p, int64_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

int Count(const std::string& call) {
  int n = 0;
  for (auto& c : fakehost::Current().calls) n += c == call;
  return n;
}

struct RawCase {
  friend void PrintTo(const RawCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  double version;
  bool string_data;  // true: asked for string data; false: locked and read in place
};

class RawTextTest : public PluginCommonTest, public ::testing::WithParamInterface<RawCase> {};

TEST_P(RawTextTest, TakesBytesAsStoredAndGivesThemBack) {
  LoadWithVersion(GetParam().version);
  REALstring s = fakehost::MakeString(std::string("\x01\xE9\0z", 4), REALEncodingUnknown);
  {
    rbRawText raw(s);
    ASSERT_NE(raw.Ptr(), nullptr);
    EXPECT_EQ(Bytes(raw.Ptr(), raw.Length()), std::string("\x01\xE9\0z", 4));
    if (GetParam().string_data) {
      EXPECT_EQ(Count("PluginGetStringData 65535"), 1);
      EXPECT_EQ(Count("REALLockString"), 0);
    } else {
      EXPECT_EQ(Count("PluginGetStringData 65535"), 0);
      EXPECT_EQ(fakehost::AsString(s)->refs, 2);  // held while in use
    }
  }
  EXPECT_EQ(fakehost::AsString(s)->refs, 1);
  EXPECT_EQ(Count("PluginDisposeStringData"), GetParam().string_data ? 1 : 0);
  fakehost::Unlock(s);
}

INSTANTIATE_TEST_SUITE_P(Versions, RawTextTest,
                         ::testing::Values(RawCase{"Above2013", 2013.03, true}, RawCase{"Exactly2013", 2013.0, false},
                                           RawCase{"Older", 2011.0, false},
                                           RawCase{"NaN", std::numeric_limits<double>::quiet_NaN(), false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PluginCommonTest, RawTextOfNilIsEmpty) {
  Load();
  rbRawText raw(nullptr);
  EXPECT_EQ(raw.Ptr(), nullptr);
  EXPECT_EQ(raw.Length(), 0);
}

TEST_F(PluginCommonTest, RawTextWhenHostRefusesStringData) {
  Load();
  host().fail_string_data = true;
  REALstring s = fakehost::MakeString("abc", REALEncodingASCII);
  {
    rbRawText raw(s);
    EXPECT_EQ(raw.Ptr(), nullptr);
    EXPECT_EQ(raw.Length(), 0);
  }
  EXPECT_EQ(Count("PluginDisposeStringData"), 0);
  fakehost::Unlock(s);
}

TEST_F(PluginCommonTest, RawTextWithoutStringDataCopiesAndFreesItsOwnCopy) {
  Lack("PluginGetStringData");
  Load();
  REALstring s = fakehost::MakeString(std::string("a\0b\xE9", 4), REALEncodingUnknown);
  {
    rbRawText raw(s);
    ASSERT_NE(raw.Ptr(), nullptr);
    EXPECT_EQ(Bytes(raw.Ptr(), raw.Length()), std::string("a\0b\xE9", 4));
    EXPECT_EQ(raw.Ptr()[4], 0);
  }
  // The copy is ours: the host is never asked to dispose of it.
  EXPECT_EQ(Count("PluginDisposeStringData"), 0);
  EXPECT_EQ(Count("REALConvertString 65535"), 0);
  fakehost::Unlock(s);
}

TEST_F(PluginCommonTest, RawTextReacquireReleasesFirst) {
  LoadWithVersion(2012.0);
  REALstring a = fakehost::MakeString("a", REALEncodingASCII);
  REALstring b = fakehost::MakeString("bb", REALEncodingASCII);
  {
    rbRawText raw(a);
    raw.Acquire(b);
    EXPECT_EQ(fakehost::AsString(a)->refs, 1);
    EXPECT_EQ(Bytes(raw.Ptr(), raw.Length()), "bb");
  }
  fakehost::Unlock(a);
  fakehost::Unlock(b);
}

struct TextCase {
  friend void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  double version;
  rbText::Form form;
  const char* first_call;  // what the holder asks of the host first
};

class TextTest : public PluginCommonTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextTest, HandsOutTextAndReleasesEverything) {
  LoadWithVersion(GetParam().version);
  host().calls.clear();
  REALstring s = fakehost::MakeString("QVXH", REALEncodingASCII);
  {
    rbText text(s, GetParam().form);
    text.ConvertMacRoman();
    EXPECT_FALSE(text.Failed());
    EXPECT_EQ(Bytes(text.Ptr(), text.Length()), "QVXH");
    if (GetParam().first_call[0] == '\0') {
      EXPECT_TRUE(host().calls.empty());
    } else {
      ASSERT_FALSE(host().calls.empty());
      EXPECT_EQ(host().calls[0], GetParam().first_call);
    }
    if (GetParam().form == rbText::Form::MacRoman) {
      EXPECT_EQ(text.Ptr()[4], 0);
    }
  }
  EXPECT_EQ(fakehost::AsString(s)->refs, 1);
  fakehost::Unlock(s);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, TextTest,
    ::testing::Values(TextCase{"MacRomanExactly2013", 2013.0, rbText::Form::MacRoman, "PluginGetStringData 0"},
                      TextCase{"MacRoman2012", 2012.0, rbText::Form::MacRoman, "PluginGetStringData 0"},
                      TextCase{"MacRomanOlder", 2011.99, rbText::Form::MacRoman, "REALConvertString 0"},
                      TextCase{"Raw2013", 2013.03, rbText::Form::Raw, "PluginGetStringData 65535"},
                      TextCase{"RawOlder", 2011.0, rbText::Form::Raw, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PluginCommonTest, TextOfNilIsEmptyButNeverNil) {
  Load();
  rbText text(nullptr);
  text.ConvertMacRoman();
  ASSERT_NE(text.Ptr(), nullptr);
  EXPECT_EQ(text.Length(), 0);
  EXPECT_EQ(text.Ptr()[0], 0);
  EXPECT_FALSE(text.Failed());
}

class TextFailureTest : public PluginCommonTest, public ::testing::WithParamInterface<double> {};

TEST_P(TextFailureTest, FailureLeavesEmptyForm) {
  LoadWithVersion(GetParam());
  host().fail_string_data = true;
  host().fail_convert = true;
  REALstring s = fakehost::MakeString("abc", REALEncodingASCII);
  {
    rbText text(s);
    text.ConvertMacRoman();
    EXPECT_TRUE(text.Failed());
    ASSERT_NE(text.Ptr(), nullptr);
    EXPECT_EQ(text.Length(), 0);
  }
  fakehost::Unlock(s);
}

INSTANTIATE_TEST_SUITE_P(Versions, TextFailureTest, ::testing::Values(2013.03, 2010.0));

TEST_F(PluginCommonTest, UnterminatedTextIsCopiedZeroTerminated) {
  LoadWithVersion(2010.0);
  host().unterminated_strings = true;
  REALstring s = fakehost::MakeString("ab", REALEncodingASCII);
  {
    rbText text(s);
    text.ConvertMacRoman();
    ASSERT_EQ(text.Length(), 2);
    EXPECT_EQ(Bytes(text.Ptr(), 2), "ab");
    EXPECT_EQ(text.Ptr()[2], 0);
  }
  fakehost::Unlock(s);
}

TEST_F(PluginCommonTest, RefillingTextReleasesPreviousForm) {
  Load();
  REALstring s = fakehost::MakeString("abcd", REALEncodingASCII);
  {
    rbText text(s);
    text.ConvertMacRoman();
    text.ConvertMacRoman();
    EXPECT_EQ(host().live_string_data, 1);
  }
  fakehost::Unlock(s);
}

}  // namespace
