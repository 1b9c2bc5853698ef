#include "framework/timer.h"

namespace framework {

const ClassRecord& Timer::class_record() {
  static ClassRecord& record = define_class("Timer", &Object::class_record(), 0, native_type_of<Timer>());
  return record;
}

Timer::~Timer() { disarm(); }

void Timer::dispose() noexcept {
  mode_ = ModeOff;
  disarm();
}

void Timer::set_Mode(int32_t mode) {
  mode_ = mode == ModeSingle || mode == ModeMultiple ? mode : ModeOff;
  arm(RunLoop::main().now());
}

void Timer::set_Period(int32_t period) {
  period_ = period < 0 ? 0 : period;
  arm(RunLoop::main().now());
}

void Timer::disarm() noexcept {
  if (scheduled_) RunLoop::main().cancel(scheduled_);
  scheduled_ = 0;
}

void Timer::arm(TimePoint from) {
  disarm();
  pending_ = false;
  if (mode_ == ModeOff) return;
  Duration period = std::chrono::milliseconds(period_);
  if (mode_ == ModeMultiple && period < std::chrono::milliseconds(1)) period = std::chrono::milliseconds(1);
  TimePoint due = from + period;
  // The loop holds no reference: a released timer cancels itself.
  scheduled_ = RunLoop::main().schedule(due, [this, due] { fire(due); });
}

void Timer::fire(TimePoint due) {
  scheduled_ = 0;
  if (running_) {
    // Re-armed and due again inside its own Action: fires once it has returned.
    pending_ = true;
    return;
  }
  Ref<Timer> self(this);  // the Action may drop the last other reference
  if (mode_ == ModeSingle) mode_ = ModeOff;
  running_ = true;
  struct After {
    Timer& t;
    TimePoint due;
    ~After() {
      t.running_ = false;
      if (t.mode_ == ModeOff || t.scheduled_) return;
      RunLoop& loop = RunLoop::main();
      if (t.pending_) {
        t.pending_ = false;
        t.scheduled_ = loop.schedule(loop.now(), [&timer = t, at = loop.now()] { timer.fire(at); });
      } else if (t.mode_ == ModeMultiple) {
        // Keeps to its beat; a timer that fell behind starts a new beat from now.
        Duration period = std::chrono::milliseconds(t.period_ < 1 ? 1 : t.period_);
        TimePoint next = due + period;
        if (next <= loop.now()) next = loop.now() + period;
        t.scheduled_ = loop.schedule(next, [&timer = t, next] { timer.fire(next); });
      }
    }
  } after{*this, due};
  if (action_) action_();
}

}  // namespace framework
