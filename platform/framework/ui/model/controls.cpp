// The simple controls: Label, PushButton, ProgressBar, TextField.
#include <algorithm>

#include "framework/ui/label.h"
#include "framework/ui/progress_bar.h"
#include "framework/ui/push_button.h"
#include "framework/ui/text_field.h"

namespace framework {

const ClassRecord& Label::class_record() {
  static ClassRecord& record = define_class("Label", &Control::class_record(), 0, native_type_of<Label>());
  return record;
}

void Label::apply(const Properties& p) {
  p_ = p;
  text_ = p.Text;
}

void TextControl::set_Text(const String& text) {
  if (text == text_) return;
  text_ = text;
  changed(ControlChange::Text);
}

const ClassRecord& PushButton::class_record() {
  static ClassRecord& record = define_class("PushButton", &Control::class_record(), 0, native_type_of<PushButton>());
  return record;
}

void PushButton::apply(const Properties& p) {
  p_ = p;
  caption_ = p.Caption;
}

void PushButton::set_Caption(const String& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  changed(ControlChange::Text);
}

void PushButton::Push() {
  if (!Enabled()) return;
  Ref<PushButton> self(this);  // the handler may close the window
  if (action_) action_(*this);
}

const ClassRecord& ProgressBar::class_record() {
  static ClassRecord& record = define_class("ProgressBar", &Control::class_record(), 0, native_type_of<ProgressBar>());
  return record;
}

void ProgressBar::apply(const Properties& p) {
  p_ = p;
  maximum_ = std::max<int32_t>(0, p.Maximum);
  value_ = p.Value;
}

void ProgressBar::set_Maximum(int32_t maximum) {
  maximum = std::max<int32_t>(0, maximum);
  if (maximum == maximum_) return;
  maximum_ = maximum;
  changed(ControlChange::Value);
}

void ProgressBar::set_Value(int32_t value) {
  if (value == value_) return;
  value_ = value;
  changed(ControlChange::Value);
}

int32_t ProgressBar::shown_value() const { return std::clamp<int32_t>(value_, 0, maximum_); }

const ClassRecord& TextField::class_record() {
  static ClassRecord& record = define_class("TextField", &Control::class_record(), 0, native_type_of<TextField>());
  return record;
}

void TextField::apply(const Properties& p) {
  p_ = p;
  text_ = p.Text;
}

namespace {

// The first `limit` characters of UTF-8 text.
std::string first_characters(const std::string& utf8, int32_t limit) {
  std::size_t i = 0;
  for (int32_t n = 0; i < utf8.size() && n < limit; ++n) {
    ++i;
    while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
  }
  return utf8.substr(0, i);
}

}  // namespace

bool TextField::typed(const String& text) {
  if (p_.ReadOnly) return false;
  if (p_.LimitText > 0) {
    set_Text(String(first_characters(text.utf8(), p_.LimitText)));
  } else {
    set_Text(text);
  }
  return true;
}

}  // namespace framework
