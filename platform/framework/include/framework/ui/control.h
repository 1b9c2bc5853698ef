#pragma once
// Control: what every control of a window has.
//
// A control belongs to one window and is made by that window (Window::AddControl)
// from a block of design values, the control class's Properties. The values
// every control with a place in the window shares come first in each block
// (FRAMEWORK_CONTROL_PROPERTIES), so a window writes its controls like its
// design table:
//   AddControl<PushButton>("StartButton", {.Left = 416, .Top = 160, .Width = 96,
//                                          .Height = 20, .TabIndex = 4, .Caption = "Start"});
//
// Setters change the model and tell the UI backend; they never run application
// code, except where a setter is documented to (Refresh raises Paint at once).
// After the window has closed a control keeps its values, but nothing it does
// is shown any more.

#include <cstdint>
#include <functional>

#include "framework/object.h"
#include "framework/string.h"
#include "framework/ui/geometry.h"

namespace framework {

class Window;

// The design values every control with a place in a window starts with.
#define FRAMEWORK_CONTROL_PROPERTIES         \
  int32_t Left = 0;                          \
  int32_t Top = 0;                           \
  int32_t Width = 80;                        \
  int32_t Height = 20;                       \
  bool LockLeft = false;                     \
  bool LockTop = false;                      \
  bool LockRight = false;                    \
  bool LockBottom = false;                   \
  bool Enabled = true;                       \
  bool Visible = true;                       \
  int32_t TabIndex = 0;                      \
  int32_t TabPanelIndex = 0;                 \
  bool TabStop = true;                       \
  bool AutoDeactivate = true;                \
  ::framework::String HelpTag{};             \
  int32_t Index = -1; /* no control array */ \
  ::framework::String InitialParent{};

// Font values of the controls that show text. TextSize 0 is the system's size.
#define FRAMEWORK_TEXT_PROPERTIES          \
  ::framework::String TextFont = "System"; \
  double TextSize = 0;                     \
  int32_t TextUnit = 0;                    \
  bool Bold = false;                       \
  bool Italic = false;                     \
  bool Underline = false;

// The common part of a control's design values, taken from any Properties block.
struct ControlValues {
  Rect bounds;
  Locks locks;
  bool enabled = true;
  bool visible = true;
  int32_t tab_index = 0;
  int32_t tab_panel_index = 0;
  bool tab_stop = true;
  bool auto_deactivate = true;
  String help_tag;
  int32_t index = -1;

  template <class P>
  static ControlValues of(const P& p) {
    return {{p.Left, p.Top, p.Width, p.Height},
            {p.LockLeft, p.LockTop, p.LockRight, p.LockBottom},
            p.Enabled,
            p.Visible,
            p.TabIndex,
            p.TabPanelIndex,
            p.TabStop,
            p.AutoDeactivate,
            p.HelpTag,
            p.Index};
  }
};

// The font values, taken from any Properties block of a control that shows text.
struct TextStyle {
  String TextFont = "System";
  double TextSize = 0;
  int32_t TextUnit = 0;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;

  template <class P>
  static TextStyle of(const P& p) {
    return {p.TextFont, p.TextSize, p.TextUnit, p.Bold, p.Italic, p.Underline};
  }
};

// What changed on a control, for the UI backend.
enum class ControlChange { Bounds, Enabled, Visible, Text, Value, Painted };

class Control : public Object {
 public:
  static const ClassRecord& class_record();  // "Control"

  const String& Name() const { return name_; }
  // The window that made the control.
  Window& window() const { return *window_; }
  // "window.control", the name a script or a transcript uses.
  std::string path() const;

  int32_t Left() const { return bounds_.left; }
  int32_t Top() const { return bounds_.top; }
  int32_t Width() const { return bounds_.width; }
  int32_t Height() const { return bounds_.height; }
  const Rect& bounds() const { return bounds_; }
  void set_Left(int32_t v);
  void set_Top(int32_t v);
  // A negative size counts as 0.
  void set_Width(int32_t v);
  void set_Height(int32_t v);

  bool Enabled() const { return values_.enabled; }
  void set_Enabled(bool enabled);
  bool Visible() const { return values_.visible; }
  void set_Visible(bool visible);

  const Locks& locks() const { return values_.locks; }
  const ControlValues& values() const { return values_; }

  // Whether a user could act on it now: its window is open and visible and
  // not behind a modal window or message box, and the control is visible and
  // enabled.
  bool reachable() const;

 protected:
  Control() = default;

  // Tells the backend, when the control's window is built far enough to show.
  void changed(ControlChange what);
  // The window is open and its controls' Open events have begun: changes
  // from here on are what a user sees happen.
  bool live() const;

  // The control changed size (a canvas paints again).
  virtual void resized() {}

  // The Open handler, raised once when the window opens; each control class
  // offers a set_Open that takes the control itself.
  void set_open_handler(std::function<void()> handler) { open_ = std::move(handler); }

 private:
  friend class Window;

  void attach(Window& window, String name, const ControlValues& values);
  // The window resized: follow the locks.
  void follow_window(int32_t width, int32_t height);
  void set_bounds(const Rect& r, bool from_user_code);
  void raise_open();

  Window* window_ = nullptr;
  String name_;
  ControlValues values_;
  Rect bounds_;
  // Where the control was last placed by code, and the window's size then.
  Rect placed_;
  int32_t placed_window_width_ = 0;
  int32_t placed_window_height_ = 0;
  std::function<void()> open_;
};

// A control whose content is a text: Label and TextField.
class TextControl : public Control {
 public:
  const String& Text() const { return text_; }
  // Tells the backend when the text changes.
  void set_Text(const String& text);

 protected:
  TextControl() = default;
  String text_;
};

// Binds a handler that takes the control to the control's own typed self.
template <class Self, class F>
std::function<void()> bind_self(Self& self, F handler) {
  return [&self, handler = std::move(handler)] { handler(self); };
}

}  // namespace framework
