#include "framework/ui/graphics.h"

#include <algorithm>

#include "framework/exceptions.h"

namespace framework {

void Graphics::erase_background() {
  commands_.push_back({DrawCommand::Kind::EraseBackground, nullptr, {0, 0, width_, height_}, {}});
}

void Graphics::DrawPicture(const Ref<Picture>& picture, int32_t x, int32_t y) {
  if (!picture) throw NilObjectException();
  DrawPicture(picture, x, y, picture->Width(), picture->Height(), 0, 0, picture->Width(), picture->Height());
}

void Graphics::DrawPicture(const Ref<Picture>& picture, int32_t x, int32_t y, int32_t dest_width, int32_t dest_height,
                           int32_t source_x, int32_t source_y, int32_t source_width, int32_t source_height) {
  if (!picture) throw NilObjectException();
  if (dest_width <= 0 || dest_height <= 0 || source_width <= 0 || source_height <= 0) return;
  // Cut the source to the picture and the destination with it, in proportion.
  int64_t sx0 = std::max<int64_t>(source_x, 0);
  int64_t sy0 = std::max<int64_t>(source_y, 0);
  int64_t sx1 = std::min<int64_t>(int64_t(source_x) + source_width, picture->Width());
  int64_t sy1 = std::min<int64_t>(int64_t(source_y) + source_height, picture->Height());
  if (sx1 <= sx0 || sy1 <= sy0) return;
  auto map = [](int64_t s, int64_t s_origin, int64_t s_len, int64_t d_origin, int64_t d_len) {
    return static_cast<int32_t>(d_origin + (s - s_origin) * d_len / s_len);
  };
  Rect dest;
  dest.left = map(sx0, source_x, source_width, x, dest_width);
  dest.top = map(sy0, source_y, source_height, y, dest_height);
  dest.width = map(sx1, source_x, source_width, x, dest_width) - dest.left;
  dest.height = map(sy1, source_y, source_height, y, dest_height) - dest.top;
  if (dest.width <= 0 || dest.height <= 0) return;
  Rect source{static_cast<int32_t>(sx0), static_cast<int32_t>(sy0), static_cast<int32_t>(sx1 - sx0),
              static_cast<int32_t>(sy1 - sy0)};
  commands_.push_back({DrawCommand::Kind::DrawPicture, picture, dest, source});
}

}  // namespace framework
