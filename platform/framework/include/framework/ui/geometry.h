#pragma once
// Rectangles and colours of the window model. Coordinates are pixels; a
// control's rectangle is relative to its window's content area.

#include <cstdint>

namespace framework {

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;

  int32_t right() const { return left + width; }
  int32_t bottom() const { return top + height; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A colour as &hRRGGBB.
using Color = uint32_t;

// Which edges of its window a control keeps its distance to.
struct Locks {
  bool left = false;
  bool top = false;
  bool right = false;
  bool bottom = false;
};

// Where a control lies in a window of `now_width` x `now_height` when it lay at
// `placed` while the window was `placed_width` x `placed_height`. An axis
// locked on both sides stretches; locked on the far side only, it moves;
// otherwise it stays. A stretched side never goes below zero.
Rect apply_locks(const Rect& placed, Locks locks, int32_t placed_width, int32_t placed_height, int32_t now_width,
                 int32_t now_height);

}  // namespace framework
