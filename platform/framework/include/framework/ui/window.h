#pragma once
// Window: a window of the application and the controls it holds.
//
// An application window is a subclass with its own class record:
//
//   class mainWindow : public framework::Window {
//    public:
//     static const framework::ClassRecord& class_record() {
//       return framework::subclass_record<mainWindow, framework::Window>("mainWindow");
//     }
//    protected:
//     void Layout() override { _SetProperties({.Width = 640, .Height = 200, ...}); }
//     void CreateControls() override {
//       AddControl<PushButton>("StartButton", {...}).set_Action([this](PushButton& b) { ... });
//     }
//     void Event_Open() override { ... }
//   };
//
// NewWindow<W>() makes a window; ImplicitWindow<W>() returns the open implicit
// instance of W (registered as "mainWindow.mainWindow") or makes one. Making a
// window builds it: Layout, then CreateControls, then the Open events of the
// controls in creation order, then the window's Event_Open; a window whose
// Visible is True is then shown.
//
// Close ends the window for good: it is hidden, its timers stop, a ShowModal
// waiting for it returns, and the implicit-window lookup no longer finds it.
// The object itself lives on while anything holds it; the window's own hold
// ends after the event that closed it, so a handler may close its window.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "framework/exceptions.h"
#include "framework/object.h"
#include "framework/string.h"
#include "framework/timer.h"
#include "framework/ui/control.h"
#include "framework/ui/geometry.h"
#include "framework/ui/subclass.h"

namespace framework {

class PushButton;

// The design values of a window, applied once when it is built.
struct WindowProperties {
  int32_t Width = 300;
  int32_t Height = 300;
  int32_t MinWidth = 64;
  int32_t MinHeight = 64;
  int32_t MaxWidth = 32000;
  int32_t MaxHeight = 32000;
  String Title{};
  int32_t Frame = 0;      // 0 document window
  int32_t Placement = 0;  // 0 where the framework puts a new window
  bool CloseButton = true;
  bool Resizeable = true;
  bool LiveResize = true;
  bool MinimizeButton = true;
  bool MaximizeButton = true;
  bool FullScreen = false;
  bool MenuBarVisible = true;
  bool Composite = false;
  bool HasBackColor = false;
  Color BackColor = 0xFFFFFF;
  bool Visible = true;
  int32_t MacProcID = 0;
  std::optional<int32_t> Left{};  // none: where Placement puts it
  std::optional<int32_t> Top{};
};

// The design values of a timer of a window.
struct TimerProperties {
  int32_t Mode = Timer::ModeMultiple;
  int32_t Period = 1000;
};

// Where a window with Placement 0 and no design position appears.
inline constexpr int32_t kDefaultWindowLeft = 40;
inline constexpr int32_t kDefaultWindowTop = 60;

class Window : public Object {
 public:
  static const ClassRecord& class_record();  // "Window"

  // The class name, e.g. "mainWindow"; the implicit instance is registered
  // as "<class>.<class>".
  const std::string& ClassName() const { return object_class().name(); }
  std::string ImplicitName() const { return ClassName() + "." + ClassName(); }

  const String& Title() const { return title_; }
  void set_Title(const String& title);

  int32_t Left() const { return bounds_.left; }
  int32_t Top() const { return bounds_.top; }
  int32_t Width() const { return bounds_.width; }
  int32_t Height() const { return bounds_.height; }
  void set_Left(int32_t left);
  void set_Top(int32_t top);
  // Held within the window's minimum and maximum size; the controls follow
  // their locks, and canvases that changed size paint again.
  void set_Width(int32_t width);
  void set_Height(int32_t height);
  void resize(int32_t width, int32_t height);
  int32_t MinWidth() const { return p_.MinWidth; }
  int32_t MinHeight() const { return p_.MinHeight; }
  int32_t MaxWidth() const { return p_.MaxWidth; }
  int32_t MaxHeight() const { return p_.MaxHeight; }

  bool Visible() const { return visible_; }
  void set_Visible(bool visible);
  bool CloseButton() const { return p_.CloseButton; }
  bool Resizeable() const { return p_.Resizeable; }
  bool MenuBarVisible() const { return p_.MenuBarVisible; }
  bool HasBackColor() const { return p_.HasBackColor; }
  Color BackColor() const { return p_.BackColor; }
  // The design values the window was built with.
  const WindowProperties& design() const { return p_; }

  // Shows the window and brings it to the front. Nothing for a closed window.
  void Show();
  // Shows the window as the modal window and returns when it has closed
  // (at once for a closed window). Events go on meanwhile: timers of every
  // window fire, but the user reaches only this window.
  void ShowModal();
  // Ends the window (see above). Nothing the second time.
  void Close();

  bool closed() const { return closed_; }
  // True while a ShowModal of this window runs.
  bool modal() const { return modal_depth_ > 0; }
  // Built and not yet closed.
  bool open() const { return built_ && !closed_; }

  // The control (or timer) of that name; nil when there is none.
  Ref<Object> ControlByName(std::string_view name) const;
  // The control of that name as a T; raises NilObjectException when there is
  // none or it is not a T.
  template <class T>
  T& control(std::string_view name) const {
    Ref<Object> c = ControlByName(name);
    T* t = dynamic_cast<T*>(c.get());
    if (!t)
      throw NilObjectException(
          String("No control " + std::string(name) + " of class " + T::class_record().name() + " in " + ClassName()));
    return *t;
  }
  // Every control and timer in creation order, with its name.
  struct Member {
    std::string name;
    Ref<Object> object;
  };
  const std::vector<Member>& controls() const { return controls_; }

  // The user pressed Return (the default button) or Escape (the cancel
  // button): presses that button when it is reachable. Runs application code.
  void press_default();
  void press_cancel();

 protected:
  Window() = default;
  ~Window() override;
  void dispose() noexcept override;

  // Hooks the framework raises while building and opening the window.
  virtual void Layout() {}
  virtual void CreateControls() {}
  virtual void Event_Open() {}

  // Applies the window's design values; for Layout.
  void _SetProperties(const WindowProperties& p);

  // Makes a control of class T named `name` with design values `p`; for
  // CreateControls. A second control of one name raises
  // UnsupportedOperationException.
  template <class T>
  T& AddControl(std::string_view name, const typename T::Properties& p) {
    Ref<T> c = make<T>();
    add(c, name, ControlValues::of(p));
    c->apply(p);
    return *c;
  }
  // A timer of the window, running from now with the given mode and period;
  // `action` gets the timer.
  Timer& AddTimer(std::string_view name, const TimerProperties& p, std::function<void(Timer&)> action = {});

 private:
  template <class W>
  friend Ref<W> NewWindow();
  template <class W>
  friend Ref<W> ImplicitWindow();
  friend class Control;
  friend Ref<Window> _GetImplicitWindow(std::string_view name);

  void build(bool implicit);
  void add(const Ref<Control>& c, std::string_view name, const ControlValues& values);
  void check_name_free(std::string_view name) const;
  void end_timers() noexcept;
  // Presses the first reachable button for which `which` is true.
  void press_first(bool (PushButton::*which)() const);
  void controls_follow();
  void changed();

  WindowProperties p_;
  String title_;
  Rect bounds_{kDefaultWindowLeft, kDefaultWindowTop, 300, 300};
  bool visible_ = false;
  bool built_ = false;
  bool live_ = false;  // Open events have begun: changes are shown as they happen
  bool closed_ = false;
  int modal_depth_ = 0;
  bool implicit_ = false;
  std::vector<Member> controls_;
};

// A window of class W, built and opened (see above).
template <class W>
Ref<W> NewWindow() {
  check_own_class_record<W>();
  Ref<W> w = make<W>();
  w->build(false);
  return w;
}

// The open window registered as "<class>.<class>", or nil.
Ref<Window> _GetImplicitWindow(std::string_view name);

// The open implicit instance of W, made (built and opened) when there is none.
template <class W>
Ref<W> ImplicitWindow() {
  check_own_class_record<W>();
  const std::string& cls = W::class_record().name();
  if (Ref<Window> open = _GetImplicitWindow(cls + "." + cls)) return ref_cast<W>(open);
  Ref<W> w = make<W>();
  w->build(true);
  return w;
}

}  // namespace framework
