#pragma once
// Label: a line (or lines) of text the user cannot change.

#include "framework/ui/control.h"

namespace framework {

class Label : public TextControl {
 public:
  static const ClassRecord& class_record();  // "Label"

  struct Properties {
    FRAMEWORK_CONTROL_PROPERTIES
    FRAMEWORK_TEXT_PROPERTIES
    String Text{};
    int32_t TextAlign = 0;  // 0 default (left), 1 left, 2 centre, 3 right
    Color TextColor = 0x000000;
    bool Multiline = false;
    bool Selectable = false;
    bool Transparent = false;
    String DataSource{};
    String DataField{};
  };

  Label() = default;

  // The design values the control was built with.
  const Properties& design() const { return p_; }

  void set_Open(std::function<void(Label&)> handler) { set_open_handler(bind_self(*this, std::move(handler))); }

 private:
  friend class Window;
  void apply(const Properties& p);
  Properties p_;
};

}  // namespace framework
