#include "framework/ui/canvas.h"

#include <algorithm>

#include "framework/runloop.h"
#include "framework/ui/window.h"

namespace framework {

const ClassRecord& Canvas::class_record() {
  static ClassRecord& record = define_class("Canvas", &Control::class_record(), 0, native_type_of<Canvas>());
  return record;
}

void Canvas::paint(std::vector<Rect> areas, bool erase) {
  if (!live()) return;
  Ref<Canvas> self(this);  // the handler may close the window
  Graphics g(Width(), Height());
  if (erase && p_.EraseBackground) g.erase_background();
  ++paint_count_;
  painted_areas_ = areas;
  if (paint_) paint_(*this, g, painted_areas_);
  display_list_ = g.take();
  changed(ControlChange::Painted);
}

void Canvas::Refresh(bool erase_background) { paint({{0, 0, Width(), Height()}}, erase_background); }

void Canvas::RefreshRect(int32_t x, int32_t y, int32_t width, int32_t height, bool erase_background) {
  // Only the part inside the canvas is an area to repaint.
  int32_t left = std::max<int32_t>(0, x);
  int32_t top = std::max<int32_t>(0, y);
  int32_t right = std::min<int64_t>(Width(), int64_t(x) + std::max<int32_t>(0, width));
  int32_t bottom = std::min<int64_t>(Height(), int64_t(y) + std::max<int32_t>(0, height));
  if (right <= left || bottom <= top) return;
  paint({{left, top, right - left, bottom - top}}, erase_background);
}

void Canvas::Invalidate(bool erase_background) {
  if (paint_posted_) return;
  paint_posted_ = true;
  RunLoop::main().post([self = Ref<Canvas>(this), erase_background] {
    self->paint_posted_ = false;
    self->Refresh(erase_background);
  });
}

}  // namespace framework
