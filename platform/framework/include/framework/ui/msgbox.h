#pragma once
// MsgBox: a modal message box. It returns when the box has been dismissed,
// and the caller goes on. Events go on while it is open (timers fire), but
// the user reaches nothing else.

#include "framework/object.h"
#include "framework/string.h"

namespace framework {

class MessageBox : public Object {
 public:
  static const ClassRecord& class_record();  // "MessageBox"

  MessageBox() = default;
  explicit MessageBox(String text) : text_(std::move(text)) {}

  const String& Text() const { return text_; }
  bool dismissed() const { return dismissed_; }
  // The user's answer; MsgBox returns once the loop has seen it.
  void dismiss() { dismissed_ = true; }

 private:
  String text_;
  bool dismissed_ = false;
};

void MsgBox(const String& text);

}  // namespace framework
