#include "qt_waiter.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

namespace framework::qt {
namespace {

// Toolkit events are looked at no more often than this from busy loops.
constexpr auto kDispatchInterval = std::chrono::milliseconds(2);

}  // namespace

QtWaiter::QtWaiter() : dispatcher_(QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread())) {}

QtWaiter::~QtWaiter() = default;

void QtWaiter::watch(std::span<const int> fds) {
  // Keep the notifiers of descriptors still watched; make the missing ones.
  std::map<int, std::unique_ptr<QSocketNotifier>> kept;
  for (int fd : fds) {
    auto it = notifiers_.find(fd);
    if (it != notifiers_.end()) {
      kept.emplace(fd, std::move(it->second));
      continue;
    }
    auto n = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    // The notifier only ends the wait; the loop reads the descriptor itself.
    QObject::connect(n.get(), &QSocketNotifier::activated, n.get(), [this] { ready_ = true; });
    kept.emplace(fd, std::move(n));
  }
  notifiers_ = std::move(kept);
  for (auto& [fd, n] : notifiers_) n->setEnabled(true);
}

void QtWaiter::wait(std::span<const int> fds, std::optional<Duration> timeout) {
  if (woken_.exchange(false)) return;
  watch(fds);
  ready_ = false;
  if (timeout && *timeout <= Duration::zero()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  } else {
    QTimer deadline;
    if (timeout) {
      auto ms = std::chrono::ceil<std::chrono::milliseconds>(*timeout).count();
      deadline.setTimerType(Qt::PreciseTimer);
      deadline.setSingleShot(true);
      deadline.start(static_cast<int>(std::min<long long>(ms, 3600 * 1000)));
    }
    // One batch of toolkit events, waiting for the first when none is pending.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  // A ready descriptor stays ready until the loop reads it; quiet it meanwhile.
  for (auto& [fd, n] : notifiers_) n->setEnabled(false);
  woken_ = false;
}

void QtWaiter::wake() {
  woken_ = true;
  if (dispatcher_) dispatcher_->wakeUp();
}

void QtWaiter::dispatch_ready() {
  auto now = std::chrono::steady_clock::now();
  if (now - last_dispatch_ < kDispatchInterval) return;
  last_dispatch_ = now;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace framework::qt
