#include "framework/ui/geometry.h"

#include <algorithm>

namespace framework {
namespace {

// One axis: the start and length of a control after the window grew by delta.
void follow(int32_t& start, int32_t& length, bool near, bool far, int32_t delta) {
  if (far && near) {
    length = std::max<int32_t>(0, length + delta);
  } else if (far) {
    start += delta;
  }
}

}  // namespace

Rect apply_locks(const Rect& placed, Locks locks, int32_t placed_width, int32_t placed_height, int32_t now_width,
                 int32_t now_height) {
  Rect r = placed;
  follow(r.left, r.width, locks.left, locks.right, now_width - placed_width);
  follow(r.top, r.height, locks.top, locks.bottom, now_height - placed_height);
  return r;
}

}  // namespace framework
