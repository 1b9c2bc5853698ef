#include "framework/runloop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace framework {
namespace {

// The longest idle wait of a turn: its caller polls and wants control back.
constexpr Duration kPollWait = std::chrono::milliseconds(1);

// To the nanosecond, so a wait ends at its deadline instead of up to a
// millisecond after it; nullptr: no limit.
const timespec* to_timespec(std::optional<Duration> timeout, timespec& ts) {
  if (!timeout) return nullptr;
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(*timeout).count();
  constexpr int64_t kHour = int64_t(3600) * 1000 * 1000 * 1000;
  ns = ns < 0 ? 0 : ns > kHour ? kHour : ns;
  ts.tv_sec = static_cast<time_t>(ns / 1000000000);
  ts.tv_nsec = static_cast<long>(ns % 1000000000);
  return &ts;
}

}  // namespace

PollWaiter::PollWaiter() : wake_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (wake_fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

PollWaiter::~PollWaiter() { close(wake_fd_); }

void PollWaiter::wait(std::span<const int> fds, std::optional<Duration> timeout) {
  std::vector<pollfd> set;
  set.reserve(fds.size() + 1);
  set.push_back({wake_fd_, POLLIN, 0});
  for (int fd : fds) set.push_back({fd, POLLIN, 0});
  timespec ts;
  const timespec* limit = to_timespec(timeout, ts);
  int rc;
  do {
    rc = ppoll(set.data(), set.size(), limit, nullptr);
  } while (rc < 0 && errno == EINTR);
  if (set[0].revents & POLLIN) {
    uint64_t count;
    while (read(wake_fd_, &count, sizeof count) > 0) {
    }
  }
}

void PollWaiter::wake() {
  uint64_t one = 1;
  ssize_t rc = write(wake_fd_, &one, sizeof one);
  (void)rc;  // a full counter already wakes the waiter
}

RunLoop& RunLoop::main() {
  static RunLoop* loop = new RunLoop;  // used until the very end of the process
  return *loop;
}

RunLoop::RunLoop() : clock_(std::make_shared<SteadyClock>()), waiter_(std::make_unique<PollWaiter>()) {}

RunLoop::~RunLoop() = default;

void RunLoop::set_clock(std::shared_ptr<Clock> clock) {
  clock_ = clock ? std::move(clock) : std::make_shared<SteadyClock>();
}

void RunLoop::set_idle_waiter(std::unique_ptr<IdleWaiter> waiter) {
  std::lock_guard lock(posted_mutex_);
  waiter_ = waiter ? std::move(waiter) : std::make_unique<PollWaiter>();
}

RunLoop::Id RunLoop::schedule(TimePoint due, Callback callback) {
  Id id = next_id_++;
  timers_.emplace(Scheduled{due, id}, std::move(callback));
  timer_due_.emplace(id, due);
  return id;
}

void RunLoop::cancel(Id id) {
  auto it = timer_due_.find(id);
  if (it == timer_due_.end()) return;
  timers_.erase(Scheduled{it->second, id});
  timer_due_.erase(it);
}

RunLoop::Id RunLoop::add_fd(int fd, FdCallback callback) {
  Id id = next_id_++;
  fds_.emplace(id, FdSource{fd, std::move(callback)});
  return id;
}

void RunLoop::remove_fd(Id id) { fds_.erase(id); }

void RunLoop::post(Callback event) {
  std::lock_guard lock(posted_mutex_);
  posted_.push_back(std::move(event));
  waiter_->wake();
}

bool RunLoop::has_posted_events() const {
  std::lock_guard lock(posted_mutex_);
  return !posted_.empty();
}

std::optional<TimePoint> RunLoop::next_deadline() const {
  if (timers_.empty()) return std::nullopt;
  return timers_.begin()->first.due;
}

std::vector<int> RunLoop::watched_fds() const {
  std::vector<int> fds;
  fds.reserve(fds_.size());
  for (const auto& [id, source] : fds_) fds.push_back(source.fd);
  return fds;
}

bool RunLoop::dispatch_fds() {
  if (fds_.empty()) return false;
  std::vector<pollfd> set;
  std::vector<Id> ids;
  for (const auto& [id, source] : fds_) {
    set.push_back({source.fd, POLLIN, 0});
    ids.push_back(id);
  }
  int rc;
  do {
    rc = poll(set.data(), set.size(), 0);
  } while (rc < 0 && errno == EINTR);
  if (rc <= 0) return false;
  bool dispatched = false;
  for (std::size_t i = 0; i < set.size(); ++i) {
    short revents = set[i].revents;
    if (!revents) continue;
    auto it = fds_.find(ids[i]);
    if (it == fds_.end()) continue;  // removed by an earlier callback of this turn
    FdEvents events;
    events.readable = (revents & POLLIN) != 0;
    events.hangup = (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    // A hung-up descriptor stays ready for ever; it gets its last callback and goes.
    FdCallback callback = events.hangup ? std::move(it->second.callback) : it->second.callback;
    if (events.hangup) fds_.erase(it);
    dispatched = true;
    callback(events);
  }
  return dispatched;
}

bool RunLoop::dispatch_posted() {
  // One at a time from the front, so that a turn nested inside an event (a
  // yield) goes on in posting order instead of overtaking the rest of ours.
  std::size_t count;
  {
    std::lock_guard lock(posted_mutex_);
    count = posted_.size();
  }
  std::size_t ran = 0;
  for (; ran < count; ++ran) {
    Callback event;
    {
      std::lock_guard lock(posted_mutex_);
      if (posted_.empty()) break;
      event = std::move(posted_.front());
      posted_.pop_front();
    }
    event();
  }
  return ran > 0;
}

bool RunLoop::dispatch_timers() {
  TimePoint now = clock_->now();
  // Only what was due when the turn began; a timer re-armed for now waits for the next turn.
  std::vector<Id> due;
  for (const auto& [key, callback] : timers_) {
    if (key.due > now) break;
    due.push_back(key.id);
  }
  for (Id id : due) {
    auto at = timer_due_.find(id);
    if (at == timer_due_.end()) continue;  // cancelled by an earlier callback
    auto it = timers_.find(Scheduled{at->second, id});
    Callback callback = std::move(it->second);
    timers_.erase(it);
    timer_due_.erase(at);
    callback();
  }
  return !due.empty();
}

bool RunLoop::turn_now() {
  waiter_->dispatch_ready();
  bool dispatched = dispatch_fds();
  dispatched = dispatch_posted() || dispatched;
  dispatched = dispatch_timers() || dispatched;
  return dispatched;
}

bool RunLoop::turn() {
  if (turn_now()) return true;
  // Under a manual clock time moves only in nested waits, so there is nothing to wait for here.
  if (clock_->is_manual() || has_posted_events()) return false;
  Duration timeout = kPollWait;
  if (std::optional<TimePoint> deadline = next_deadline()) {
    timeout = std::min(timeout, *deadline - clock_->now());
  }
  waiter_->wait(watched_fds(), timeout);
  return turn_now();
}

void RunLoop::idle_wait() {
  if (has_posted_events()) return;
  std::vector<int> fds = watched_fds();
  std::optional<TimePoint> deadline = next_deadline();
  if (clock_->is_manual()) {
    // Time moves only here: anything ready first, else straight to the next timer.
    if (!fds.empty()) {
      std::vector<pollfd> set;
      for (int fd : fds) set.push_back({fd, POLLIN, 0});
      if (poll(set.data(), set.size(), 0) > 0) return;
    }
    if (deadline) {
      clock_->advance_to(*deadline);
      return;
    }
    waiter_->wait(fds, std::nullopt);
    return;
  }
  std::optional<Duration> timeout;
  if (deadline) timeout = *deadline - clock_->now();
  waiter_->wait(fds, timeout);
}

void RunLoop::run_nested(const std::function<bool()>& until) {
  struct Depth {
    int& n;
    explicit Depth(int& n) : n(n) { ++n; }
    ~Depth() { --n; }
  } depth(nesting_);
  while (!until()) {
    bool dispatched = turn_now();
    if (until()) break;
    if (!dispatched) idle_wait();
  }
}

void RunLoop::reset() {
  // Moved out first: dropping a callback may release objects that cancel or post.
  auto timers = std::move(timers_);
  auto fds = std::move(fds_);
  std::deque<Callback> posted;
  {
    std::lock_guard lock(posted_mutex_);
    posted.swap(posted_);
  }
  timers_.clear();
  timer_due_.clear();
  fds_.clear();
  timers.clear();
  fds.clear();
  posted.clear();
  set_clock(nullptr);
  set_idle_waiter(nullptr);
}

}  // namespace framework
