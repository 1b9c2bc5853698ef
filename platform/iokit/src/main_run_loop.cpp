#include "iokit/main_run_loop.h"

#include <poll.h>

#include <deque>
#include <map>
#include <vector>

namespace iokit {

struct BuiltinRunLoop::State {
  struct Watch {
    int fd;
    std::function<void(short)> ready;
  };
  std::map<WatchId, Watch> watches;
  WatchId next_id = 1;
  std::deque<std::function<void()>> posted;
};

BuiltinRunLoop::BuiltinRunLoop() : state_(new State) {}
BuiltinRunLoop::~BuiltinRunLoop() { delete state_; }

RunLoopHost::WatchId BuiltinRunLoop::watch_fd(int fd, std::function<void(short)> ready) {
  const WatchId id = state_->next_id++;
  state_->watches.emplace(id, State::Watch{fd, std::move(ready)});
  return id;
}

void BuiltinRunLoop::unwatch_fd(WatchId id) { state_->watches.erase(id); }

void BuiltinRunLoop::post(std::function<void()> fn) { state_->posted.push_back(std::move(fn)); }

void BuiltinRunLoop::run_one_turn() { run_one_turn(0); }

void BuiltinRunLoop::run_one_turn(int wait_ms) {
  // Only the work queued before this turn runs now; what the turn posts waits for the next.
  std::size_t n = state_->posted.size();
  std::vector<pollfd> fds;
  std::vector<WatchId> ids;
  for (const auto& [id, watch] : state_->watches) {
    fds.push_back(pollfd{watch.fd, POLLIN, 0});
    ids.push_back(id);
  }
  if (!fds.empty() && ::poll(fds.data(), fds.size(), wait_ms) > 0) {
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      // A callback before this one may have unwatched it.
      auto it = state_->watches.find(ids[i]);
      if (it == state_->watches.end()) continue;
      auto ready = it->second.ready;
      ready(fds[i].revents);
    }
  }
  while (n-- > 0 && !state_->posted.empty()) {
    auto fn = std::move(state_->posted.front());
    state_->posted.pop_front();
    fn();
  }
}

int BuiltinRunLoop::watch_count() const { return static_cast<int>(state_->watches.size()); }
int BuiltinRunLoop::posted_count() const { return static_cast<int>(state_->posted.size()); }

namespace {
RunLoopHost* installed_host = nullptr;
}

BuiltinRunLoop& builtin_run_loop() {
  static auto* loop = new BuiltinRunLoop;
  return *loop;
}

RunLoopHost& main_run_loop() { return installed_host != nullptr ? *installed_host : builtin_run_loop(); }

void set_main_run_loop_host(RunLoopHost* host) { installed_host = host; }

}  // namespace iokit
