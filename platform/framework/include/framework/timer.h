#pragma once
// Timer: runs its Action on the main thread.
//   Mode 0: off; 1: once, Period ms after it was set; 2: every Period ms.
// Setting Mode or Period re-arms the timer from now. A single-shot timer is
// set to Mode 0 before its Action runs, so the Action may arm it again. A
// timer never fires again while its own Action is running (a yield inside the
// Action does not re-enter it); a due firing waits until the Action returns.
// The timer is scheduled on RunLoop::main() and stops when released.

#include <cstdint>
#include <functional>

#include "framework/object.h"
#include "framework/runloop.h"

namespace framework {

class Timer : public Object {
 public:
  static const ClassRecord& class_record();  // "Timer"

  enum : int32_t { ModeOff = 0, ModeSingle = 1, ModeMultiple = 2 };

  Timer() = default;

  int32_t Mode() const { return mode_; }
  // A mode other than 0, 1 or 2 counts as 0.
  void set_Mode(int32_t mode);
  int32_t Period() const { return period_; }
  // Milliseconds; a negative period counts as 0. A repeating timer fires at
  // most once per millisecond.
  void set_Period(int32_t period);
  void set_Action(std::function<void()> action) { action_ = std::move(action); }

 protected:
  ~Timer() override;
  void dispose() noexcept override;

 private:
  void arm(TimePoint from);
  void disarm() noexcept;
  void fire(TimePoint due);

  int32_t mode_ = ModeOff;
  int32_t period_ = 1000;  // a new timer's period
  std::function<void()> action_;
  RunLoop::Id scheduled_ = 0;
  bool running_ = false;
  bool pending_ = false;  // came due while its Action ran
};

}  // namespace framework
