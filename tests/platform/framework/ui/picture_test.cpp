#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "framework/exceptions.h"
#include "framework/ui/picture.h"
#include "jpeg_fixture.h"
#include "scratch_dir.h"

using namespace framework;

namespace {

uint32_t halves(int x, int) { return x < 8 ? 0xFF0000 : 0x0000FF; }

TEST(PictureTest, DecodesAJpegWithItsSizeAndPixels) {
  Ref<Picture> p = Picture::FromJPEG(ui_test::encode_jpeg(16, 8, halves));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Width(), 16);
  EXPECT_EQ(p->Height(), 8);
  EXPECT_TRUE(ui_test::near_colour(p->Pixel(2, 4), 0xFF0000u)) << std::hex << p->Pixel(2, 4);
  EXPECT_TRUE(ui_test::near_colour(p->Pixel(13, 4), 0x0000FFu)) << std::hex << p->Pixel(13, 4);
}

TEST(PictureTest, DecodesAGreyJpeg) {
  Ref<Picture> p = Picture::FromJPEG(ui_test::encode_jpeg(
      8, 8, [](int, int) { return 0x80u; }, true));
  ASSERT_TRUE(p);
  EXPECT_TRUE(ui_test::near_colour(p->Pixel(4, 4), 0x808080u)) << std::hex << p->Pixel(4, 4);
}

struct NotAPicture {
  const char* name;
  std::string bytes;
  friend void PrintTo(const NotAPicture& c, std::ostream* os) { *os << c.name; }
};

class NotAJpeg : public ::testing::TestWithParam<NotAPicture> {};

TEST_P(NotAJpeg, IsNil) { EXPECT_FALSE(Picture::FromJPEG(GetParam().bytes)); }

INSTANTIATE_TEST_SUITE_P(Bytes, NotAJpeg,
                         ::testing::Values(NotAPicture{"Empty", ""}, NotAPicture{"Text", "Hello, this is no picture."},
                                           NotAPicture{"StartOfImageOnly", std::string("\xFF\xD8\xFF", 3)},
                                           NotAPicture{"CutInItsHeader",
                                                       ui_test::encode_jpeg(16, 8, halves).substr(0, 40)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PictureTest, PixelOutsideRaisesOutOfBounds) {
  Ref<Picture> p = make<Picture>(4, 3);
  EXPECT_EQ(p->Pixel(3, 2), 0xFFFFFFu);
  EXPECT_THROW(p->Pixel(4, 0), OutOfBoundsException);
  EXPECT_THROW(p->set_Pixel(0, -1, 0), OutOfBoundsException);
}

class OpenAsPictureTest : public ::testing::Test {
 protected:
  Ref<FolderItem> file(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return make<FolderItem>(dir_ / name);
  }
  const testsupport::ScratchDir scratch_;
  const std::filesystem::path dir_ = scratch_.path();
};

TEST_F(OpenAsPictureTest, OpensAJpegFile) {
  Ref<Picture> p = OpenAsPicture(file("vastel.jpg", ui_test::encode_jpeg(40, 12, halves)));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Width(), 40);
  EXPECT_EQ(p->Height(), 12);
}

TEST_F(OpenAsPictureTest, IsNilForAFileThatHoldsNoPictureOrIsMissing) {
  EXPECT_FALSE(OpenAsPicture(file("notes.txt", "no picture")));
  EXPECT_FALSE(OpenAsPicture(make<FolderItem>(dir_ / "missing.jpg")));
  EXPECT_FALSE(OpenAsPicture(make<FolderItem>(dir_)));
  // A regular file whose read fails: reading it at offset 0 gives EIO.
  EXPECT_FALSE(OpenAsPicture(make<FolderItem>("/proc/self/mem")));
  EXPECT_THROW(OpenAsPicture(nullptr), NilObjectException);
}

}  // namespace
