// The platform stand-ins' main run loop is the framework's loop: device
// channels become descriptor sources of it, and the Carbon queue's turns
// become posted events.

#include <poll.h>

#include "runloop_bridge/runloop_bridge.h"

#include "framework/runloop.h"
#include "iokit/main_run_loop.h"
#include "pluginhost/call_frame.h"

namespace runloop_bridge {
namespace {

class FrameworkRunLoop final : public iokit::RunLoopHost {
 public:
  WatchId watch_fd(int fd, std::function<void(short)> ready) override {
    return framework::RunLoop::main().add_fd(fd, [ready](framework::FdEvents e) {
      ready(static_cast<short>((e.readable ? POLLIN : 0) | (e.hangup ? POLLHUP : 0)));
    });
  }

  void unwatch_fd(WatchId id) override { framework::RunLoop::main().remove_fd(id); }

  void post(std::function<void()> fn) override {
    // Posted work dispatches the plug-in's events; what their handlers raise
    // waits until the plug-in code has returned.
    framework::RunLoop::main().post([fn = std::move(fn)] {
      pluginhost::CallFrame frame;
      fn();
      frame.finish();
    });
  }

  void run_one_turn() override { framework::RunLoop::main().turn(); }
};

}  // namespace

void install() {
  static FrameworkRunLoop loop;
  iokit::set_main_run_loop_host(&loop);
}

}  // namespace runloop_bridge
