#pragma once
// ProgressBar: shows Value of Maximum. A value above Maximum shows full, a
// negative one empty; the model keeps the value as set.

#include "framework/ui/control.h"

namespace framework {

class ProgressBar : public Control {
 public:
  static const ClassRecord& class_record();  // "ProgressBar"

  struct Properties {
    FRAMEWORK_CONTROL_PROPERTIES
    int32_t Maximum = 100;
    int32_t Value = 0;
  };

  ProgressBar() = default;

  int32_t Maximum() const { return maximum_; }
  // A negative maximum counts as 0.
  void set_Maximum(int32_t maximum);
  int32_t Value() const { return value_; }
  void set_Value(int32_t value);
  // What the bar shows: Value held within 0 and Maximum.
  int32_t shown_value() const;
  // The design values the control was built with.
  const Properties& design() const { return p_; }

  void set_Open(std::function<void(ProgressBar&)> handler) { set_open_handler(bind_self(*this, std::move(handler))); }

 private:
  friend class Window;
  void apply(const Properties& p);
  Properties p_;
  int32_t maximum_ = 100;
  int32_t value_ = 0;
};

}  // namespace framework
