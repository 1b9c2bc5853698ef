#pragma once
// JPEG files made on the spot for the picture tests.

#include <cstdint>
#include <functional>
#include <string>

namespace ui_test {

// A JPEG of width x height whose pixel (x, y) has colour(x, y) (&hRRGGBB).
std::string encode_jpeg(int width, int height, const std::function<uint32_t(int x, int y)>& colour,
                        bool grayscale = false);

// Whether two colours are alike within `tolerance` per channel (JPEG is lossy).
bool near_colour(uint32_t a, uint32_t b, int tolerance = 24);

}  // namespace ui_test
