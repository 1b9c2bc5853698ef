#pragma once
// The main loop's idle wait inside Qt's dispatcher.

#include <atomic>
#include <chrono>
#include <map>
#include <memory>

#include "framework/runloop.h"

class QAbstractEventDispatcher;
class QSocketNotifier;

namespace framework::qt {

class QtWaiter final : public IdleWaiter {
 public:
  QtWaiter();  // after the QApplication exists, on its thread
  ~QtWaiter() override;

  void wait(std::span<const int> fds, std::optional<Duration> timeout) override;
  void wake() override;
  void dispatch_ready() override;

 private:
  void watch(std::span<const int> fds);

  QAbstractEventDispatcher* dispatcher_;
  std::map<int, std::unique_ptr<QSocketNotifier>> notifiers_;
  std::atomic<bool> woken_{false};
  bool ready_ = false;
  std::chrono::steady_clock::time_point last_dispatch_{};
};

}  // namespace framework::qt
