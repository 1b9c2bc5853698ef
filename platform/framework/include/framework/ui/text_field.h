#pragma once
// TextField: one line of text the user can type into (unless ReadOnly).

#include "framework/ui/control.h"

namespace framework {

class TextField : public TextControl {
 public:
  static const ClassRecord& class_record();  // "TextField"

  struct Properties {
    FRAMEWORK_CONTROL_PROPERTIES
    FRAMEWORK_TEXT_PROPERTIES
    String Text{};
    bool Border = true;
    bool UseFocusRing = true;
    bool ReadOnly = false;
    bool Password = false;
    bool AcceptTabs = false;
    bool AutomaticallyCheckSpelling = false;
    int32_t LimitText = 0;  // 0: no limit
    int32_t Alignment = 0;
    String Mask{};
    String CueText{};
    String Format{};
    String DataSource{};
    String DataField{};
    Color TextColor = 0x000000;
    Color BackColor = 0xFFFFFF;
  };

  TextField() = default;

  bool ReadOnly() const { return p_.ReadOnly; }
  // The design values the control was built with.
  const Properties& design() const { return p_; }

  void set_Open(std::function<void(TextField&)> handler) { set_open_handler(bind_self(*this, std::move(handler))); }

  // The user's typing: the text becomes `text`, cut to LimitText characters
  // when a limit is set. False (nothing changes) when the field is read-only.
  bool typed(const String& text);

 private:
  friend class Window;
  void apply(const Properties& p);
  Properties p_;
};

}  // namespace framework
