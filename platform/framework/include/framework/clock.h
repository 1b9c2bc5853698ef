#pragma once
// The clock the event loop runs on: the steady clock, or a manual one for tests
// that the loop advances to the next due timer instead of sleeping.

#include <chrono>
#include <memory>

namespace framework {

using Duration = std::chrono::nanoseconds;
using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual TimePoint now() const = 0;
  // A manual clock never moves by itself; the loop calls advance_to() where it
  // would otherwise wait for time to pass.
  virtual bool is_manual() const { return false; }
  virtual void advance_to(TimePoint) {}
};

class SteadyClock final : public Clock {
 public:
  TimePoint now() const override { return std::chrono::steady_clock::now(); }
};

// Starts at the epoch; moves only when told.
class ManualClock final : public Clock {
 public:
  TimePoint now() const override { return now_; }
  bool is_manual() const override { return true; }
  // Moves forward only; an earlier time is ignored.
  void advance_to(TimePoint t) override {
    if (t > now_) now_ = t;
  }
  void advance(Duration d) { advance_to(now_ + d); }

 private:
  TimePoint now_{};
};

}  // namespace framework
