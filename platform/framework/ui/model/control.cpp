#include "framework/ui/control.h"

#include <algorithm>

#include "framework/ui/backend.h"
#include "framework/ui/desktop.h"
#include "framework/ui/window.h"

namespace framework {

const ClassRecord& Control::class_record() {
  static ClassRecord& record = define_class("Control", &Object::class_record(), 0, native_type_of<Control>());
  return record;
}

std::string Control::path() const { return (window_ ? window_->ClassName() : std::string("?")) + "." + name_.utf8(); }

void Control::attach(Window& window, String name, const ControlValues& values) {
  window_ = &window;
  name_ = std::move(name);
  values_ = values;
  Rect r = values.bounds;
  r.width = std::max<int32_t>(0, r.width);
  r.height = std::max<int32_t>(0, r.height);
  bounds_ = placed_ = r;
  placed_window_width_ = window.Width();
  placed_window_height_ = window.Height();
}

void Control::follow_window(int32_t width, int32_t height) {
  set_bounds(apply_locks(placed_, values_.locks, placed_window_width_, placed_window_height_, width, height), false);
}

void Control::set_bounds(const Rect& r, bool from_user_code) {
  Rect now = r;
  now.width = std::max<int32_t>(0, now.width);
  now.height = std::max<int32_t>(0, now.height);
  if (from_user_code && window_) {
    // Code placed it here: the locks count from this place and this window size.
    placed_ = now;
    placed_window_width_ = window_->Width();
    placed_window_height_ = window_->Height();
  }
  if (now == bounds_) return;
  Rect before = bounds_;
  bounds_ = now;
  changed(ControlChange::Bounds);
  if (before.width != now.width || before.height != now.height) resized();
}

void Control::set_Left(int32_t v) { set_bounds({v, bounds_.top, bounds_.width, bounds_.height}, true); }
void Control::set_Top(int32_t v) { set_bounds({bounds_.left, v, bounds_.width, bounds_.height}, true); }
void Control::set_Width(int32_t v) { set_bounds({bounds_.left, bounds_.top, v, bounds_.height}, true); }
void Control::set_Height(int32_t v) { set_bounds({bounds_.left, bounds_.top, bounds_.width, v}, true); }

void Control::set_Enabled(bool enabled) {
  if (values_.enabled == enabled) return;
  values_.enabled = enabled;
  changed(ControlChange::Enabled);
}

void Control::set_Visible(bool visible) {
  if (values_.visible == visible) return;
  values_.visible = visible;
  changed(ControlChange::Visible);
}

bool Control::reachable() const { return window_ && ui::reachable(*window_) && values_.visible && values_.enabled; }

bool Control::live() const { return window_ && window_->live_ && !window_->closed(); }

void Control::changed(ControlChange what) {
  if (live()) ui::backend().control_changed(*this, what);
}

void Control::raise_open() {
  if (open_) open_();
}

}  // namespace framework
