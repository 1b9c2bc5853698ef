#include "test_jpeg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

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

// What a target saw: how often it was asked, and for which size.
struct Target {
  int calls = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  jpegicc::PixelTarget target() {
    return [this](int w, int h) {
      ++calls, width = w, height = h;
      pixels.assign(std::size_t(w) * std::size_t(h), 0);
      return pixels.data();
    };
  }
};

TEST(DecodeArgbTest, AsksTheTargetOnceForTheSizeAndFillsItWithOpaquePixels) {
  for (const Coding coding : {Coding::baseline, Coding::progressive}) {
    Target t;
    jpegicc::decode_argb(encode(
                             48, 20,
                             [](int x, int) {
                               return x < 24 ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
                             },
                             {}, Colour::rgb, coding),
                         t.target());
    ASSERT_EQ(t.calls, 1);
    ASSERT_EQ(t.width, 48);
    ASSERT_EQ(t.height, 20);
    for (const std::uint32_t p : t.pixels) ASSERT_EQ(p >> 24, 0xFFu);
    const std::uint32_t left = t.pixels[10 * 48 + 4];
    const std::uint32_t right = t.pixels[10 * 48 + 43];
    expect_near({std::uint8_t(left >> 16), std::uint8_t(left >> 8), std::uint8_t(left)}, {255, 0, 0});
    expect_near({std::uint8_t(right >> 16), std::uint8_t(right >> 8), std::uint8_t(right)}, {0, 0, 255});
  }
}

TEST(DecodeArgbTest, FileGivesThePixelsOfTheSameBytesInMemory) {
  const Bytes jpeg = encode(
      40, 24,
      [](int x, int y) {
        return Rgb{std::uint8_t(x * 6), std::uint8_t(y * 10), 77};
      },
      profile_of(300), Colour::rgb, Coding::progressive);
  Target in_memory, from_file;
  jpegicc::decode_argb(jpeg, in_memory.target());
  const MemoryFile file(jpeg);
  jpegicc::decode_argb_file(file.get(), from_file.target());
  EXPECT_EQ(from_file.pixels, in_memory.pixels);
}

// Headers are a few bytes; what they claim decides the memory a decode takes.
struct HugeCase {
  const char* name;
  Coding coding;
  unsigned width, height;
};

void PrintTo(const HugeCase& c, std::ostream* os) { *os << c.name; }

class TooLargeTest : public testing::TestWithParam<HugeCase> {};

TEST_P(TooLargeTest, IsRefusedBeforeThePixelsAreAskedFor) {
  Bytes file = encode(
      16, 16,
      [](int, int) {
        return Rgb{9, 9, 9};
      },
      {}, Colour::rgb, GetParam().coding);
  claim_size(file, GetParam().width, GetParam().height);
  Target t;
  try {
    jpegicc::decode_argb(file, t.target());
    FAIL() << "decoded a picture of " << t.width << "x" << t.height;
  } catch (const jpegicc::Error& error) {
    EXPECT_NE(std::string(error.what()).find("larger than accepted"), std::string::npos) << error.what();
  }
  EXPECT_EQ(t.calls, 0);
}

// 4096 x 4096 pixels take the whole budget. The pixels of 3500 x 3500 fit,
// but a progressive file's whole-image buffers beside them do not.
INSTANTIATE_TEST_SUITE_P(Headers, TooLargeTest,
                         testing::Values(HugeCase{"LargestHeader", Coding::baseline, 65488, 65488},
                                         HugeCase{"PixelsAlone", Coding::baseline, 8192, 8192},
                                         HugeCase{"JustOverTheBudget", Coding::baseline, 4097, 4096},
                                         HugeCase{"ProgressiveBuffers", Coding::progressive, 3500, 3500}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeArgbTest, PictureOfTheWholeBudgetIsDecoded) {
  Bytes file = two_colour_picture(16, 16);
  claim_size(file, 4096, 4096);
  Target t;
  jpegicc::decode_argb(file, t.target());  // the image data runs out: the library fills in the rest
  EXPECT_EQ(t.calls, 1);
  EXPECT_EQ(t.pixels.size(), 4096u * 4096u);
}

TEST(DecodeArgbTest, TargetWithoutRoomFails) {
  EXPECT_THROW(jpegicc::decode_argb(two_colour_picture(), [](int, int) { return nullptr; }), jpegicc::Error);
  EXPECT_THROW(jpegicc::decode_argb(two_colour_picture(), [](int, int) -> std::uint32_t* { throw std::bad_alloc(); }),
               jpegicc::Error);
}

// A package may carry any number of bytes after its picture.
TEST(DecodeArgbTest, FileIsNotReadPastTheLastRow) {
  Bytes jpeg = two_colour_picture(64, 64);
  ASSERT_EQ(jpeg[jpeg.size() - 2], 0xFF);
  jpeg.resize(jpeg.size() - 2);  // no end marker: nothing but more bytes to say where it ends
  const std::size_t picture_bytes = jpeg.size();
  jpeg.resize(picture_bytes + (std::size_t{1} << 20), 0);
  const MemoryFile file(jpeg);
  Target t;
  jpegicc::decode_argb_file(file.get(), t.target());
  EXPECT_EQ(t.calls, 1);
  EXPECT_LE(std::ftell(file.get()), long(picture_bytes + 4096 + 4096));
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
