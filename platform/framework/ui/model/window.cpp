#include "framework/ui/window.h"

#include <algorithm>

#include "framework/runloop.h"
#include "framework/ui/backend.h"
#include "framework/ui/canvas.h"
#include "framework/ui/desktop.h"
#include "framework/ui/push_button.h"
#include "state.h"

namespace framework {

using ui::detail::state;

const ClassRecord& Window::class_record() {
  static ClassRecord& record = define_class("Window", &Object::class_record(), 0, native_type_of<Window>());
  return record;
}

Window::~Window() = default;

void Window::dispose() noexcept {
  end_timers();
  controls_.clear();
}

void Window::_SetProperties(const WindowProperties& p) {
  p_ = p;
  title_ = p.Title;
  bounds_.left = p.Left.value_or(kDefaultWindowLeft);
  bounds_.top = p.Top.value_or(kDefaultWindowTop);
  bounds_.width = std::clamp(p.Width, std::max(0, p.MinWidth), std::max(p.MinWidth, p.MaxWidth));
  bounds_.height = std::clamp(p.Height, std::max(0, p.MinHeight), std::max(p.MinHeight, p.MaxHeight));
}

void Window::build(bool implicit) {
  _SetProperties(p_);
  Layout();
  CreateControls();
  built_ = true;
  implicit_ = implicit;
  state().windows.push_back(Ref<Window>(this));
  live_ = true;
  // Open events in creation order, the window's last; any of them may close it.
  for (std::size_t i = 0; i < controls_.size() && !closed_; ++i) {
    if (auto* c = dynamic_cast<Control*>(controls_[i].object.get())) c->raise_open();
  }
  if (closed_) return;
  Event_Open();
  if (!closed_ && p_.Visible) Show();
}

void Window::check_name_free(std::string_view name) const {
  if (ControlByName(name))
    throw UnsupportedOperationException(String("A control " + std::string(name) + " exists already in " + ClassName()));
}

void Window::add(const Ref<Control>& c, std::string_view name, const ControlValues& values) {
  check_name_free(name);
  c->attach(*this, String(name), values);
  controls_.push_back({std::string(name), c});
}

Timer& Window::AddTimer(std::string_view name, const TimerProperties& p, std::function<void(Timer&)> action) {
  check_name_free(name);
  Ref<Timer> t = make<Timer>();
  if (action) t->set_Action([timer = t.get(), action = std::move(action)] { action(*timer); });
  t->set_Period(p.Period);
  t->set_Mode(p.Mode);
  controls_.push_back({std::string(name), t});
  return *t;
}

Ref<Object> Window::ControlByName(std::string_view name) const {
  for (const Member& m : controls_) {
    if (m.name == name) return m.object;
  }
  return nullptr;
}

void Window::end_timers() noexcept {
  for (const Member& m : controls_) {
    if (auto* t = dynamic_cast<Timer*>(m.object.get())) t->set_Mode(Timer::ModeOff);
  }
}

void Window::changed() {
  if (built_ && !closed_) ui::backend().window_changed(*this);
}

void Window::set_Title(const String& title) {
  if (title == title_) return;
  title_ = title;
  changed();
}

void Window::set_Left(int32_t left) {
  if (left == bounds_.left) return;
  bounds_.left = left;
  changed();
}

void Window::set_Top(int32_t top) {
  if (top == bounds_.top) return;
  bounds_.top = top;
  changed();
}

void Window::set_Width(int32_t width) { resize(width, bounds_.height); }
void Window::set_Height(int32_t height) { resize(bounds_.width, height); }

void Window::resize(int32_t width, int32_t height) {
  width = std::clamp(width, std::max(0, p_.MinWidth), std::max(p_.MinWidth, p_.MaxWidth));
  height = std::clamp(height, std::max(0, p_.MinHeight), std::max(p_.MinHeight, p_.MaxHeight));
  if (width == bounds_.width && height == bounds_.height) return;
  bounds_.width = width;
  bounds_.height = height;
  changed();
  controls_follow();
}

void Window::controls_follow() {
  for (const Member& m : controls_) {
    if (auto* c = dynamic_cast<Control*>(m.object.get())) c->follow_window(bounds_.width, bounds_.height);
  }
}

void Window::set_Visible(bool visible) {
  if (visible) {
    Show();
    return;
  }
  if (!visible_ || closed_) return;
  visible_ = false;
  ui::backend().window_hidden(*this);
}

void Window::Show() {
  if (closed_ || !built_) return;
  bool first = !visible_;
  visible_ = true;
  ui::backend().window_shown(*this);
  if (!first) return;
  for (const Member& m : controls_) {
    if (auto* c = dynamic_cast<Canvas*>(m.object.get())) c->Invalidate();
  }
}

void Window::ShowModal() {
  if (closed_ || !built_) return;
  Ref<Window> self(this);  // the caller's reference may be a temporary
  ++modal_depth_;
  state().modal.push_back(this);
  struct EndModal {
    Window& w;
    ~EndModal() {
      --w.modal_depth_;
      auto& modal = state().modal;
      auto it = std::find(modal.rbegin(), modal.rend(), &w);
      if (it != modal.rend()) modal.erase(std::next(it).base());
      if (!w.closed_) ui::backend().window_changed(w);
    }
  } end_modal{*this};
  Show();
  ui::backend().window_changed(*this);
  RunLoop::main().run_nested([this] { return closed_; });
}

void Window::Close() {
  if (closed_) return;
  closed_ = true;
  live_ = false;
  end_timers();
  if (!built_) return;
  visible_ = false;
  ui::backend().window_closed(*this);
  auto& windows = state().windows;
  auto it = std::find_if(windows.begin(), windows.end(), [this](const Ref<Window>& w) { return w.get() == this; });
  if (it == windows.end()) return;
  Ref<Window> hold = std::move(*it);
  windows.erase(it);
  // The code that closed the window may be running in it: let go after this event.
  RunLoop::main().post([hold = std::move(hold)] {});
}

void Window::press_first(bool (PushButton::*which)() const) {
  for (const Member& m : controls_) {
    auto* b = dynamic_cast<PushButton*>(m.object.get());
    if (b && (b->*which)() && b->reachable()) {
      b->Push();
      return;
    }
  }
}

void Window::press_default() { press_first(&PushButton::Default); }
void Window::press_cancel() { press_first(&PushButton::Cancel); }

Ref<Window> _GetImplicitWindow(std::string_view name) {
  for (const Ref<Window>& w : state().windows) {
    if (w->implicit_ && w->ImplicitName() == name) return w;
  }
  return nullptr;
}

}  // namespace framework
