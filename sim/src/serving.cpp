// Pacing, the answer queue and the host's comings and goings of one serving.

#include "serving.h"

#include <sim/server.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <optional>
#include <poll.h>

namespace sim::detail {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Often enough for a test waiting on the dump, rare enough for a long update.
constexpr milliseconds kDumpInterval(250);

// The time to `when`, to the nanosecond: a wait rounded up to whole
// milliseconds would miss the frame it waits for.
timespec time_until(Clock::time_point when, Clock::time_point now) {
  const auto ns = when <= now ? 0 : std::chrono::duration_cast<std::chrono::nanoseconds>(when - now).count();
  return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

// USB frames: reports move only at frame starts, one per frame each way.
class Frames {
 public:
  Frames(milliseconds length, Clock::time_point origin) : length_(length), origin_(origin) {}
  Clock::time_point floor(Clock::time_point t) const {
    if (length_.count() == 0) return t;
    return origin_ + (t - origin_) / length_ * length_;
  }
  Clock::time_point ceil(Clock::time_point t) const {
    Clock::time_point f = floor(t);
    return f == t ? t : f + length_;
  }
  Clock::time_point next(Clock::time_point t) const { return floor(t) + length_; }

 private:
  milliseconds length_;
  Clock::time_point origin_;
};

// One serving of a device over its link: the pacing state, and one method for
// each thing that can happen while serving.
class Server {
 public:
  Server(Device& device, std::mutex& mutex, Link& link, int stop_fd)
      : device_(device),
        mutex_(mutex),
        link_(link),
        stop_fd_(stop_fd),
        config_(device.config()),
        dumping_(!config_.dump_file.empty()),
        now_(Clock::now()),
        frames_(milliseconds(config_.frame_ms), now_),
        next_read_(now_),
        next_send_(now_),
        busy_until_(now_),
        dumped_(device.changes()),
        flood_(config_.faults.flood) {}

  // Serves until stop_fd is readable, the device leaves the bus, or serving
  // ends with the connection; then writes the dump if configured.
  void run();

 private:
  // What follows an event: the rest of this turn, a fresh turn, or the end.
  enum class Then { go_on, next_turn, stop };

  // The descriptors one turn waits on, and the deadline it waits for.
  struct Wait {
    pollfd fds[3];
    nfds_t count = 0;
    int listen_index = -1;
    int port_index = -1;
    Clock::time_point until;
  };

  // Each turn: the dump is rewritten when the memory changed and the interval has passed.
  void dump_if_due();
  // A host connects, or the one connection of an attached device begins.
  void on_host_connected(Clock::time_point at);
  // The device leaves the bus: its last answers are out or nobody takes them.
  void on_device_removed() { link_.leave(); }
  // A frame starts in which the device can take a command; after the host
  // has gone, one without a command ends the connection.
  Then on_listening_frame(hidbus::DevicePort& port);
  // The frame of a waiting command has come: the device takes it.
  Then on_command_frame(hidbus::DevicePort& port);
  // A millisecond of the flood fault has begun: its unasked reports go out.
  Then on_flood_due(hidbus::DevicePort& port);
  // A command arrives while the device listens; it goes in the next frame.
  void on_command_arrived() { read_at_ = frames_.ceil(now_); }
  // An answer's frame has come and the host can take a report.
  Then on_answer_frame(hidbus::DevicePort& port);
  // The host hung up: the commands it sent before are still taken in their
  // frames, and only then does the connection end.
  Then on_hang_up(hidbus::DevicePort& port);
  // The host has gone and sent nothing more, a read failed, or the device reset.
  Then on_connection_ended();
  // Queues the response's answers and pacing; true for a reset.
  bool take(Device::Response response, Clock::time_point frame);
  Wait plan_wait(hidbus::DevicePort* port) const;
  Then wait(hidbus::DevicePort* port);

  Device& device_;
  std::mutex& mutex_;
  Link& link_;
  const int stop_fd_;
  const Config& config_;  // fixed for the device's life
  const bool dumping_;
  Clock::time_point now_;
  const Frames frames_;
  std::deque<std::vector<uint8_t>> outbox_;
  Clock::time_point next_read_, next_send_, busy_until_, last_dump_{};
  std::optional<Clock::time_point> read_at_;  // a command waits for this frame
  bool listening_ = false;                    // waiting for a command since a frame start
  bool host_gone_ = false;                    // hung up, with commands still to take
  uint64_t dumped_;
  uint64_t changes_ = 0;  // the device's count of changes at this turn's start
  bool leaving_ = false;
  // The flood fault: reports of every millisecond since the connect, up to flood_ms_, are out.
  const std::optional<unsigned> flood_;
  Clock::time_point flood_since_;
  uint64_t flood_ms_ = 0;
};

void Server::run() {
  if (link_.port()) on_host_connected(now_);
  for (;;) {
    now_ = Clock::now();
    dump_if_due();
    hidbus::DevicePort* port = link_.port();
    if (leaving_ && (outbox_.empty() || !port)) {
      on_device_removed();
      break;
    }
    if (port && flood_ && !leaving_ && !host_gone_ && now_ >= flood_since_ + milliseconds(flood_ms_)) {
      const Then then = on_flood_due(*port);
      if (then == Then::stop) break;
      if (then == Then::next_turn) continue;
    }
    if (port && !read_at_ && !listening_ && !leaving_ && now_ >= std::max(next_read_, busy_until_)) {
      const Then then = on_listening_frame(*port);
      if (then == Then::stop) break;
      if (then == Then::next_turn) continue;
    }
    if (port && read_at_ && now_ >= *read_at_) {
      const Then then = on_command_frame(*port);
      if (then == Then::stop) break;
      if (then == Then::next_turn) continue;
    }
    if (wait(port) == Then::stop) break;
  }
  if (dumping_) {
    std::lock_guard lock(mutex_);
    write_dump(device_, config_.dump_file);
  }
}

void Server::dump_if_due() {
  changes_ = 0;
  if (!dumping_) return;
  std::lock_guard lock(mutex_);
  changes_ = device_.changes();
  if (changes_ != dumped_ && now_ - last_dump_ >= kDumpInterval) {
    write_dump(device_, config_.dump_file);
    dumped_ = changes_;
    last_dump_ = now_;
  }
}

void Server::on_host_connected(Clock::time_point at) {
  outbox_.clear();
  read_at_.reset();
  listening_ = false;
  host_gone_ = false;
  next_read_ = next_send_ = busy_until_ = at;
  flood_since_ = at;
  flood_ms_ = 0;
  Device::Response response;
  {
    std::lock_guard lock(mutex_);
    response = device_.on_connect();
  }
  take(std::move(response), at);
}

bool command_waiting(hidbus::DevicePort& port) {
  pollfd p{port.fd(), POLLIN, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

Server::Then Server::on_listening_frame(hidbus::DevicePort& port) {
  // A command that was already waiting goes in this frame; one that arrives
  // while we listen goes in the next.
  const bool waiting = command_waiting(port);
  if (host_gone_ && !waiting) return on_connection_ended();
  listening_ = true;
  if (waiting) read_at_ = now_;
  return Then::go_on;
}

Server::Then Server::on_command_frame(hidbus::DevicePort& port) {
  const Clock::time_point frame = frames_.floor(*read_at_);
  read_at_.reset();
  listening_ = false;
  hidbus::ReadResult result = port.read_output(0);
  if (result.status == hidbus::Status::ok) {
    Device::Response response;
    {
      std::lock_guard lock(mutex_);
      response = device_.handle(result.report.data);
    }
    next_read_ = frames_.next(frame);
    // A reset: the device drops off the bus.
    if (take(std::move(response), frame)) return on_connection_ended();
  } else if (result.status != hidbus::Status::timeout) {
    return on_connection_ended();
  }
  return Then::go_on;
}

Server::Then Server::on_flood_due(hidbus::DevicePort& port) {
  // Reports the host has no room for are lost, as a device's would be: the
  // device keeps none of them.
  static const std::vector<uint8_t> report(kPacketSize, 0x5A);
  const auto due_ms = static_cast<uint64_t>((now_ - flood_since_) / milliseconds(1)) + 1;
  const uint64_t count = (due_ms - flood_ms_) * *flood_;
  flood_ms_ = due_ms;
  for (uint64_t i = 0; i < count; ++i) {
    const hidbus::Status status = port.send_input(0, report, 0);
    if (status == hidbus::Status::timeout) break;
    if (status != hidbus::Status::ok) return on_hang_up(port);
  }
  return Then::go_on;
}

Server::Then Server::on_answer_frame(hidbus::DevicePort& port) {
  hidbus::Status status = port.send_input(0, outbox_.front(), 0);
  if (status == hidbus::Status::ok) {
    outbox_.pop_front();
    next_send_ = frames_.next(now_);
  } else if (status != hidbus::Status::timeout) {
    return on_hang_up(port);
  }
  return Then::next_turn;
}

Server::Then Server::on_hang_up(hidbus::DevicePort& port) {
  if (!command_waiting(port)) return on_connection_ended();
  // Nobody takes answers any more; the commands keep their pace.
  host_gone_ = true;
  outbox_.clear();
  listening_ = false;
  return Then::next_turn;
}

Server::Then Server::on_connection_ended() {
  outbox_.clear();
  read_at_.reset();
  listening_ = false;
  host_gone_ = false;
  link_.drop();
  return link_.ends_with_connection() ? Then::stop : Then::next_turn;
}

bool Server::take(Device::Response response, Clock::time_point frame) {
  // An answer leaves in a later frame than its command came in.
  if (host_gone_) response.reports.clear();
  for (auto& report : response.reports) outbox_.push_back(std::move(report));
  if (!response.reports.empty()) next_send_ = std::max(next_send_, frames_.next(frame));
  busy_until_ = std::max(busy_until_, frame + milliseconds(response.busy_ms));
  leaving_ |= response.leave;
  return response.reset;
}

Server::Wait Server::plan_wait(hidbus::DevicePort* port) const {
  Wait w;
  w.fds[w.count++] = {stop_fd_, POLLIN, 0};
  // A host that comes while a gone one's commands are still taken waits its turn.
  if (link_.listen_fd() >= 0 && !host_gone_) {
    w.listen_index = static_cast<int>(w.count);
    w.fds[w.count++] = {link_.listen_fd(), POLLIN, 0};
  }
  w.until = now_ + milliseconds(1000);
  if (port) {
    short events = 0;
    if (read_at_) {
      w.until = std::min(w.until, *read_at_);
    } else if (!leaving_) {
      if (listening_) {
        events |= POLLIN;
      } else {
        w.until = std::min(w.until, std::max(next_read_, busy_until_));
      }
    }
    if (!outbox_.empty()) {
      if (now_ >= next_send_) {
        events |= POLLOUT;
      } else {
        w.until = std::min(w.until, next_send_);
      }
    }
    // A hang-up shows even with no events; once it has been seen, only the frames count.
    if (!host_gone_) {
      w.port_index = static_cast<int>(w.count);
      w.fds[w.count++] = {port->fd(), events, 0};
    }
  }
  if (port && flood_ && !leaving_ && !host_gone_) w.until = std::min(w.until, flood_since_ + milliseconds(flood_ms_));
  if (dumping_ && changes_ != dumped_) w.until = std::min(w.until, last_dump_ + kDumpInterval);
  return w;
}

Server::Then Server::wait(hidbus::DevicePort* port) {
  Wait w = plan_wait(port);
  // Deadlines are absolute frame starts; now is read just before the wait.
  const timespec timeout = time_until(w.until, Clock::now());
  if (::ppoll(w.fds, w.count, &timeout, nullptr) < 0) return errno == EINTR ? Then::next_turn : Then::stop;
  if (w.fds[0].revents) return Then::stop;
  now_ = Clock::now();
  // The served host first: a host that hung up keeps its place until what it
  // sent is taken.
  if (w.port_index >= 0) {
    const short revents = w.fds[w.port_index].revents;
    if (revents & POLLIN) on_command_arrived();
    if (revents & (POLLHUP | POLLERR | POLLNVAL)) return on_hang_up(*port);
    if ((revents & POLLOUT) && !outbox_.empty()) return on_answer_frame(*port);
  }
  if (w.listen_index >= 0 && (w.fds[w.listen_index].revents & POLLIN)) {
    if (link_.accept()) on_host_connected(now_);
  }
  return Then::next_turn;
}

}  // namespace

void serve(Device& device, std::mutex& mutex, Link& link, int stop_fd) { Server(device, mutex, link, stop_fd).run(); }

}  // namespace sim::detail
