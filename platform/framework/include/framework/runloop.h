#pragma once
// The event loop: one per application, on the main thread.
//
// Sources, each dispatched on the main thread by turn():
// - timers (schedule/cancel, and the Timer object built on them), in order of
//   their due time, then of scheduling;
// - file descriptors: a callback when readable or hung up; after a hang-up (or
//   error) has been reported the source is removed;
// - posted events: closures queued from any thread.
// A callback that throws ends the turn; the exception goes on to the caller
// (in the end, the top level of application.h).
//
// The idle wait is the IdleWaiter's, so a UI toolkit can do it in its own
// dispatcher. Everything except post() and IdleWaiter::wake() is main-thread only.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "framework/clock.h"

namespace framework {

// Waits for something to happen while the loop has nothing to do.
class IdleWaiter {
 public:
  virtual ~IdleWaiter() = default;
  // Returns when one of `fds` is readable or hung up, after `timeout` (none:
  // no limit), or when wake() is called (also when that came just before).
  virtual void wait(std::span<const int> fds, std::optional<Duration> timeout) = 0;
  // Thread-safe: makes the current or the next wait return at once.
  virtual void wake() = 0;
  // Dispatches what the waiter's own toolkit has ready, without blocking;
  // called at the start of every turn.
  virtual void dispatch_ready() {}
};

// The default waiter: poll() on the descriptors and an eventfd for wake().
class PollWaiter final : public IdleWaiter {
 public:
  PollWaiter();
  ~PollWaiter() override;
  void wait(std::span<const int> fds, std::optional<Duration> timeout) override;
  void wake() override;

 private:
  int wake_fd_;
};

struct FdEvents {
  bool readable = false;
  bool hangup = false;  // the last callback for this source
};

class RunLoop {
 public:
  using Callback = std::function<void()>;
  using FdCallback = std::function<void(FdEvents)>;
  using Id = uint64_t;

  // The application's loop.
  static RunLoop& main();

  RunLoop();
  ~RunLoop();
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // Set before running; reset() puts back the steady clock and the poll waiter.
  void set_clock(std::shared_ptr<Clock> clock);
  Clock& clock() const { return *clock_; }
  TimePoint now() const { return clock_->now(); }
  void set_idle_waiter(std::unique_ptr<IdleWaiter> waiter);
  IdleWaiter& idle_waiter() const { return *waiter_; }

  // Runs `callback` on the loop at `due` or after; returns an id for cancel().
  Id schedule(TimePoint due, Callback callback);
  // Forgets a scheduled callback; an unknown or fired id is ignored.
  void cancel(Id id);

  Id add_fd(int fd, FdCallback callback);
  void remove_fd(Id id);

  // Thread-safe: queues `event` to run on the loop, in posting order.
  void post(Callback event);

  // One turn: dispatches what is ready now (the waiter's toolkit, readable and
  // hung-up descriptors, the events posted before the turn, the timers due).
  // When nothing was, waits for the next event, at most until the next timer
  // and never longer than 1 ms (the caller polls), and dispatches what came;
  // under a manual clock it does not wait. Returns whether anything was
  // dispatched.
  bool turn();
  // The same without the wait: a yield inside long work, which has more to
  // do at once.
  bool turn_now();

  // Turns and waits until `until` is true (checked before every wait and after
  // every turn). Used for modal windows and message boxes, and by the top level.
  void run_nested(const std::function<bool()>& until);
  // Number of run_nested calls in progress.
  int nesting() const { return nesting_; }

  // What a waiter in another dispatcher needs to know.
  std::optional<TimePoint> next_deadline() const;
  std::vector<int> watched_fds() const;
  bool has_posted_events() const;

  // Drops every timer, source and posted event; back to the steady clock and
  // the poll waiter.
  void reset();

 private:
  struct Scheduled {
    TimePoint due;
    Id id;
    bool operator<(const Scheduled& o) const { return due < o.due || (due == o.due && id < o.id); }
  };
  struct FdSource {
    int fd;
    FdCallback callback;
  };

  void idle_wait();
  bool dispatch_fds();
  bool dispatch_posted();
  bool dispatch_timers();

  std::shared_ptr<Clock> clock_;
  std::unique_ptr<IdleWaiter> waiter_;
  Id next_id_ = 1;
  std::map<Scheduled, Callback> timers_;
  std::map<Id, TimePoint> timer_due_;
  std::map<Id, FdSource> fds_;
  mutable std::mutex posted_mutex_;
  std::deque<Callback> posted_;
  int nesting_ = 0;
};

}  // namespace framework
