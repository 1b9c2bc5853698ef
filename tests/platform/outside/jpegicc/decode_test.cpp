#include "test_jpeg.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using jpegicc::Bytes;
using namespace jpegicc_test;

Rgb pixel_at(const jpegicc::Image& image, int x, int y) {
  const std::size_t i = (static_cast<std::size_t>(y) * image.width + x) * 3;
  return {image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]};
}

void expect_near(Rgb got, Rgb want) {
  constexpr int kTolerance = 24;  // JPEG is lossy, and colour edges bleed a little
  EXPECT_NEAR(got.r, want.r, kTolerance);
  EXPECT_NEAR(got.g, want.g, kTolerance);
  EXPECT_NEAR(got.b, want.b, kTolerance);
}

TEST(DecodeTest, GivesSizeAndColoursOfThePicture) {
  const jpegicc::Image image = jpegicc::decode_rgb(two_colour_picture(48, 20));

  ASSERT_EQ(image.width, 48);
  ASSERT_EQ(image.height, 20);
  ASSERT_EQ(image.rgb.size(), 48u * 20u * 3u);
  expect_near(pixel_at(image, 4, 10), {255, 0, 0});
  expect_near(pixel_at(image, 43, 10), {0, 0, 255});
}

TEST(DecodeTest, GrayscalePictureComesOutAsRgb) {
  const Bytes gray = encode(
      16, 8,
      [](int x, int) {
        return Rgb{static_cast<std::uint8_t>(x < 8 ? 40 : 200), 0, 0};
      },
      {}, Colour::grayscale);

  const jpegicc::Image image = jpegicc::decode_rgb(gray);

  ASSERT_EQ(image.rgb.size(), 16u * 8u * 3u);
  const Rgb dark = pixel_at(image, 1, 4);
  EXPECT_EQ(dark.r, dark.g);
  EXPECT_EQ(dark.g, dark.b);
  expect_near(dark, {40, 40, 40});
  expect_near(pixel_at(image, 14, 4), {200, 200, 200});
}

TEST(DecodeTest, ProfileDoesNotChangeThePixels) {
  const Bytes plain = two_colour_picture();
  const Bytes with_profile = jpegicc::embed_icc_profile(plain, profile_of(100000));
  EXPECT_EQ(jpegicc::decode_rgb(with_profile).rgb, jpegicc::decode_rgb(plain).rgb);
}

TEST(DecodeTest, HeaderClaimingAHugePictureIsRefusedBeforeAllocating) {
  Bytes file = two_colour_picture();
  for (const Marker& m : header_markers(file)) {
    if (m.code == 0xC0) {  // baseline frame: precision, then height and width
      file[m.offset + 5] = 0xFF, file[m.offset + 6] = 0xD0;
      file[m.offset + 7] = 0xFF, file[m.offset + 8] = 0xD0;
    }
  }
  try {
    (void)jpegicc::decode_rgb(file);
    FAIL() << "decoded a picture of 65488 x 65488 pixels";
  } catch (const jpegicc::Error& error) {
    EXPECT_NE(std::string(error.what()).find("larger than accepted"), std::string::npos) << error.what();
  }
}

TEST(DecodeTest, NonJpegFailsWithTheLibrarysReason) {
  const Bytes text = {'h', 'e', 'l', 'l', 'o'};
  try {
    (void)jpegicc::decode_rgb(text);
    FAIL() << "decoded text";
  } catch (const jpegicc::Error& error) {
    EXPECT_STRNE(error.what(), "cannot decode picture: ");
  }
  EXPECT_THROW(jpegicc::decode_rgb({}), jpegicc::Error);
}

}  // namespace
