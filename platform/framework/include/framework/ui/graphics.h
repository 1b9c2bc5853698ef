#pragma once
// Graphics: what a canvas's Paint handler draws into. It records what is
// drawn as a display list, which the canvas keeps and the UI backend renders.

#include <cstdint>
#include <vector>

#include "framework/object.h"
#include "framework/ui/geometry.h"
#include "framework/ui/picture.h"

namespace framework {

struct DrawCommand {
  enum class Kind {
    EraseBackground,  // fill the whole area with the window's background
    DrawPicture,      // `source` of `picture` scaled into `dest`
  };
  Kind kind = Kind::EraseBackground;
  Ref<Picture> picture;
  Rect dest;
  Rect source;
};

using DisplayList = std::vector<DrawCommand>;

class Graphics {
 public:
  Graphics(int32_t width, int32_t height) : width_(width), height_(height) {}

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

  // The whole picture at its own size with its top left at x, y.
  void DrawPicture(const Ref<Picture>& picture, int32_t x, int32_t y);
  // The source rectangle of the picture, scaled (each direction on its own)
  // into the destination rectangle. A nil picture raises NilObjectException;
  // an empty rectangle draws nothing; the parts of the source outside the
  // picture are not drawn.
  void DrawPicture(const Ref<Picture>& picture, int32_t x, int32_t y, int32_t dest_width, int32_t dest_height,
                   int32_t source_x, int32_t source_y, int32_t source_width, int32_t source_height);

  const DisplayList& commands() const { return commands_; }

 private:
  friend class Canvas;
  void erase_background();
  DisplayList take() { return std::move(commands_); }

  int32_t width_;
  int32_t height_;
  DisplayList commands_;
};

}  // namespace framework
