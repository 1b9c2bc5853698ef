#pragma once
// The main run loop of the platform stand-ins is whatever loop the host says
// it is. The application installs an adapter over its framework's event loop
// at start-up, before any device is opened, so that device reports arrive
// only while that loop dispatches (a turn of the loop, or WaitNextEvent).
// Without an adapter a small built-in poll loop stands in, which is what
// the stand-ins' own tests drive.
//
// Main thread only.

#include <cstdint>
#include <functional>

namespace iokit {

class RunLoopHost {
 public:
  using WatchId = std::uint64_t;
  virtual ~RunLoopHost() = default;

  // Calls ready(revents) during the turns of the loop while fd is readable
  // or has hung up (revents as poll reports them), until unwatched. A ready
  // callback may unwatch itself or other descriptors.
  virtual WatchId watch_fd(int fd, std::function<void(short revents)> ready) = 0;
  virtual void unwatch_fd(WatchId id) = 0;

  // Runs fn once at a later turn of the loop.
  virtual void post(std::function<void()> fn) = 0;

  // Dispatches what is ready now without blocking.
  virtual void run_one_turn() = 0;
};

// The built-in loop: poll() over the watched descriptors, then the posted work.
class BuiltinRunLoop final : public RunLoopHost {
 public:
  BuiltinRunLoop();
  ~BuiltinRunLoop() override;
  WatchId watch_fd(int fd, std::function<void(short revents)> ready) override;
  void unwatch_fd(WatchId id) override;
  void post(std::function<void()> fn) override;
  void run_one_turn() override;
  // One turn that first waits up to wait_ms for a descriptor to become ready
  // (not for posted work, which never waits).
  void run_one_turn(int wait_ms);
  // Watched descriptors and queued work; for tests.
  int watch_count() const;
  int posted_count() const;

 private:
  struct State;
  State* state_;
};

// The loop in use: the installed host, or the built-in loop.
RunLoopHost& main_run_loop();
BuiltinRunLoop& builtin_run_loop();
// Installs host as the main run loop; nullptr goes back to the built-in loop.
// The host must outlive its installation.
void set_main_run_loop_host(RunLoopHost* host);

}  // namespace iokit
