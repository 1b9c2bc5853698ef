#pragma once
// PushButton: a button with a caption and an Action event.
//
// The window's default button (Default True) is pressed by Return, its cancel
// button (Cancel True) by Escape, each only while it is visible and enabled.

#include "framework/ui/control.h"

namespace framework {

class PushButton : public Control {
 public:
  static const ClassRecord& class_record();  // "PushButton"

  struct Properties {
    FRAMEWORK_CONTROL_PROPERTIES
    FRAMEWORK_TEXT_PROPERTIES
    String Caption{};
    bool Default = false;
    bool Cancel = false;
    int32_t ButtonStyle = 0;
  };

  PushButton() = default;

  const String& Caption() const { return caption_; }
  void set_Caption(const String& caption);
  bool Default() const { return p_.Default; }
  bool Cancel() const { return p_.Cancel; }
  // The design values the control was built with.
  const Properties& design() const { return p_; }

  void set_Action(std::function<void(PushButton&)> handler) { action_ = std::move(handler); }
  void set_Open(std::function<void(PushButton&)> handler) { set_open_handler(bind_self(*this, std::move(handler))); }

  // Raises Action as a press by the user would, when the button is enabled
  // (a disabled button takes no press). Runs application code.
  void Push();

 private:
  friend class Window;
  void apply(const Properties& p);
  Properties p_;
  String caption_;
  std::function<void(PushButton&)> action_;
};

}  // namespace framework
