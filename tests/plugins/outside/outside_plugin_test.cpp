#include <dlfcn.h>

#include <cstdio>  // jpeglib.h needs FILE
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <jerror.h>
#include <jpeglib.h>

#include "framework/folderitem.h"
#include "framework/object.h"
#include "framework/ui/picture.h"
#include "pluginhost/pluginhost.h"

namespace {

// The row from which the JPEG library gives up reading rows; -1: never.
// Once rows are read the library fills in any damage instead of giving up,
// so no file of ours gets there: the test plays the library's part.
int failing_row = -1;

}  // namespace

// Takes the place of the library's own for the plug-in too (the executable
// exports it, and is searched first).
extern "C" JDIMENSION jpeg_read_scanlines(j_decompress_ptr cinfo, JSAMPARRAY rows, JDIMENSION max_lines) {
  if (failing_row >= 0 && cinfo->output_scanline >= JDIMENSION(failing_row)) ERREXIT(cinfo, JERR_FILE_READ);
  using Read = JDIMENSION (*)(j_decompress_ptr, JSAMPARRAY, JDIMENSION);
  static const auto library = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "jpeg_read_scanlines"));
  if (library == nullptr) std::abort();
  return library(cinfo, rows, max_lines);
}

namespace {

using framework::FolderItem;
using framework::Object;
using framework::Ref;
using framework::String;

std::string FileBytes(const std::string& name) {
  std::ifstream in(std::string(OUTSIDE_TEST_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The members as the application declares them.
struct Outside {
  pluginhost::Binder binder;
  pluginhost::Property<Ref<FolderItem>> file =
      binder.property<Ref<FolderItem>>("JPEGImporterQVX", "File as FolderItem");
  pluginhost::Property<bool> read_markers = binder.property<bool>("JPEGImporterQVX", "ReadMarkers as Boolean");
  pluginhost::Property<bool> read_profile = binder.property<bool>("JPEGImporterQVX", "ReadProfileData as Boolean");
  pluginhost::Method<void(Ref<Object>)> import = binder.method<void(Ref<Object>)>("JPEGImporterQVX", "Import");
  pluginhost::Property<String> profile = binder.property<String>("JPEGImporterQVX", "ProfileData as String");
  pluginhost::Property<Ref<Object>> picture = binder.property<Ref<Object>>("JPEGImporterQVX", "Picture as Picture");
  pluginhost::Method<String(String, String, int32_t)> xor_ = binder.method<String(String, String, int32_t)>(
      "", "StringXORQVX(data as string, XorMask as string, MaskOffset as integer = 0) as string");
  pluginhost::Method<String(String)> to_hex =
      binder.method<String(String)>("", "EncodingToHexQVX(data as string) as string");
  pluginhost::Method<String(String)> from_hex =
      binder.method<String(String)>("", "DecodingFromHexQVX(hex as string) as string");
  std::vector<std::string> unresolved;

  Outside() {
    pluginhost::load_plugins(std::string(OUTSIDE_TEST_DIR) + "/plugins");
    unresolved = binder.bind();
  }
};

class OutsidePluginTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { outside_ = new Outside; }
  static void TearDownTestSuite() {
    delete outside_;
    outside_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(o().unresolved.empty()) << o().unresolved.front(); }

  static Outside& o() { return *outside_; }

  // What the application does with the package file.
  static Ref<Object> ImportFile(const std::string& name, bool flags = true) {
    Ref<Object> importer = pluginhost::new_instance("JPEGImporterQVX");
    EXPECT_TRUE(importer);
    if (!name.empty()) o().file.set(importer, framework::make<FolderItem>(std::string(OUTSIDE_TEST_DIR) + "/" + name));
    o().read_markers.set(importer, flags);
    o().read_profile.set(importer, flags);
    o().import(importer);
    return importer;
  }

  static inline Outside* outside_ = nullptr;
};

class ProfileTest : public OutsidePluginTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ProfileTest, ReadsProfileMadeByJpegtranByteForByte) {
  const std::string name = GetParam();
  Ref<Object> importer = ImportFile(name + "_profile.jpg");
  std::string expected = FileBytes(name + ".icc");
  ASSERT_FALSE(expected.empty());
  String profile = o().profile.get(importer);
  EXPECT_EQ(profile.bytes().size(), expected.size());
  EXPECT_TRUE(profile.bytes() == expected);
}

// The large profile needs two APP2 chunks.
INSTANTIATE_TEST_SUITE_P(Profiles, ProfileTest, ::testing::Values("small", "large"));

TEST_F(OutsidePluginTest, PictureWithoutProfileHasEmptyProfileData) {
  Ref<Object> importer = ImportFile("plain.jpg");
  EXPECT_TRUE(o().profile.get(importer).empty());
}

TEST_F(OutsidePluginTest, PictureIsTheDecodedImage) {
  Ref<Object> importer = ImportFile("large_profile.jpg");
  auto picture = framework::ref_cast<framework::Picture>(o().picture.get(importer));
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Width(), 16);
  EXPECT_EQ(picture->Height(), 8);
  // Blue is 128 everywhere in the source; JPEG keeps it close.
  EXPECT_NEAR(int(picture->Pixel(0, 0) & 0xFF), 128, 12);
}

struct NothingCase {
  friend void PrintTo(const NothingCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  const char* file;
  bool flags;
};

class NothingImportedTest : public OutsidePluginTest, public ::testing::WithParamInterface<NothingCase> {};

TEST_P(NothingImportedTest, GivesEmptyProfileAndNoPicture) {
  Ref<Object> importer = ImportFile(GetParam().file, GetParam().flags);
  EXPECT_TRUE(o().profile.get(importer).empty());
  if (std::string(GetParam().file) != "small_profile.jpg") {
    EXPECT_FALSE(o().picture.get(importer));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, NothingImportedTest,
                         ::testing::Values(NothingCase{"NoFile", "", true},
                                           NothingCase{"MissingFile", "no_such_file.jpg", true},
                                           NothingCase{"NotAJpeg", "not_a_picture.jpg", true},
                                           NothingCase{"FlagsNotSet", "small_profile.jpg", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The host makes the picture itself: one import gives both.
TEST_F(OutsidePluginTest, OneImportGivesProfileAndPicture) {
  Ref<Object> importer = ImportFile("small_profile.jpg");
  EXPECT_TRUE(framework::ref_cast<framework::Picture>(o().picture.get(importer)));
  EXPECT_FALSE(o().profile.get(importer).empty());
}

TEST_F(OutsidePluginTest, FileIsKeptAndHandedBack) {
  Ref<Object> importer = pluginhost::new_instance("JPEGImporterQVX");
  auto item = framework::make<FolderItem>("/tmp/logo.jpg");
  o().file.set(importer, item);
  EXPECT_EQ(o().file.get(importer), item);
  o().file.set(importer, nullptr);
  EXPECT_FALSE(o().file.get(importer));
  EXPECT_EQ(item->reference_count(), 1);
}

// The library gives up in the middle of the picture: the picture made for its
// pixels goes with the failed decode. Counted, since the host's list of live
// objects keeps a forgotten one out of LeakSanitizer's sight.
TEST_F(OutsidePluginTest, PictureOfAFailedDecodeIsReleased) {
  Ref<Object> importer = pluginhost::new_instance("JPEGImporterQVX");
  o().file.set(importer, framework::make<FolderItem>(std::string(OUTSIDE_TEST_DIR) + "/plain.jpg"));
  const std::size_t live = framework::live_object_count();
  failing_row = 4;  // of 8
  o().import(importer);
  failing_row = -1;
  EXPECT_FALSE(o().picture.get(importer));
  EXPECT_EQ(framework::live_object_count(), live);
}

struct XorCase {
  friend void PrintTo(const XorCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::string data;
  std::string mask;
  int32_t offset;
  std::string expected;
};

class StringXorTest : public OutsidePluginTest, public ::testing::WithParamInterface<XorCase> {};

TEST_P(StringXorTest, CombinesEachByteWithTheMask) {
  String result = o().xor_(String::from_bytes(GetParam().data, framework::Encodings.Undetermined),
                           String::from_bytes(GetParam().mask, framework::Encodings.Undetermined), GetParam().offset);
  EXPECT_TRUE(result.bytes() == GetParam().expected) << ::testing::PrintToString(std::string(result.bytes()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StringXorTest,
    ::testing::Values(XorCase{"OneCharacterMask", "1.0$", "K", 0, "\x7A\x65\x7B\x6F"},
                      XorCase{"MaskOffset", "ABC", "xyz", 1, {'A' ^ 'y', 'B' ^ 'z', 'C' ^ 'x'}},
                      XorCase{"OffsetBeyondMask", "AB", "xy", 3, {'A' ^ 'y', 'B' ^ 'x'}},
                      XorCase{"NegativeOffset", "AB", "xy", -1, {'A' ^ 'y', 'B' ^ 'x'}},
                      XorCase{"BytesAbove0x7FAndZero", std::string("\xFF\x00", 2), "K", 0, "\xB4\x4B"},
                      XorCase{"EmptyMask", "abc", "", 0, "abc"}, XorCase{"EmptyData", "", "K", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutsidePluginTest, XorTwiceGivesTheDataBack) {
  String data = String::from_bytes(std::string("\x02\x38\x00\xFF$1.0", 8), framework::Encodings.Undetermined);
  String mask("K");
  EXPECT_TRUE(o().xor_(o().xor_(data, mask, 0), mask, 0).bytes() == data.bytes());
}

struct HexCase {
  friend void PrintTo(const HexCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::string bytes;
  std::string hex;
};

class HexTest : public OutsidePluginTest, public ::testing::WithParamInterface<HexCase> {};

TEST_P(HexTest, EncodesUppercaseTwoDigitsAByteAndBack) {
  String bytes = String::from_bytes(GetParam().bytes, framework::Encodings.Undetermined);
  String hex = o().to_hex(bytes);
  EXPECT_EQ(hex.bytes(), GetParam().hex);
  if (!GetParam().hex.empty()) {
    EXPECT_EQ(hex.encoding(), framework::Encodings.ASCII);
  }
  EXPECT_TRUE(o().from_hex(hex).bytes() == GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexTest,
    ::testing::Values(HexCase{"Packet", std::string("\x02\x00\x00\x00\x00\x38", 6), "020000000038"},
                      HexCase{"HighBytes", "\xAB\xCD\xEF\xFF", "ABCDEFFF"}, HexCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct DecodeCase {
  friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::string text;
  std::string bytes;
};

class DecodeHexTest : public OutsidePluginTest, public ::testing::WithParamInterface<DecodeCase> {};

TEST_P(DecodeHexTest, ReadsHexAndStopsAtTheFirstOtherCharacter) {
  EXPECT_TRUE(o().from_hex(String(GetParam().text)).bytes() == GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeHexTest,
                         ::testing::Values(DecodeCase{"LowerCase", "0a1B", "\x0A\x1B"},
                                           DecodeCase{"BlanksSkipped", "01 02\r\n0 3", "\x01\x02\x03"},
                                           DecodeCase{"StopsAtOther", "0102G304", "\x01\x02"},
                                           DecodeCase{"OddDigitDropped", "01020", "\x01\x02"},
                                           DecodeCase{"NoHexAtAll", "xyz", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
