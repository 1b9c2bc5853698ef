#include "internal.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace hidbus {

Fd& Fd::operator=(Fd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int Fd::release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

void Fd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

namespace detail {

bool make_nonblocking(int fd) {
  int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return false;
  int fdflags = ::fcntl(fd, F_GETFD);
  return fdflags >= 0 && ::fcntl(fd, F_SETFD, fdflags | FD_CLOEXEC) == 0;
}

bool hung_up(int fd) {
  pollfd p{fd, 0, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

}  // namespace detail

namespace {

using detail::hung_up;

using Clock = std::chrono::steady_clock;

// hidraw's largest report plus its ID byte.
constexpr size_t kMaxPacket = 4096 + 1;

class Deadline {
 public:
  explicit Deadline(int timeout_ms) : end_(Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms)) {}
  int remaining_ms() const {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
  }

 private:
  Clock::time_point end_;
};

// revents of fd for events, 0 on time-out, -1 with errno on failure.
int wait_for(int fd, short events, const Deadline& deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int r = ::poll(&p, 1, deadline.remaining_ms());
    if (r > 0) return p.revents;
    if (r == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

bool removal_errno(int err) { return err == ENODEV || err == EPIPE || err == ECONNRESET || err == ENOTCONN; }

struct Packet {
  Status status = Status::error;
  std::vector<uint8_t> bytes;
  int error = 0;
};

Packet receive(int fd, int timeout_ms) {
  Deadline deadline(timeout_ms);
  for (;;) {
    int revents = wait_for(fd, POLLIN, deadline);
    if (revents < 0) return {Status::error, {}, errno};
    if (revents == 0) return {Status::timeout, {}, 0};
    // Reports queued before a hang-up are still handed out first.
    if (!(revents & POLLIN)) return {Status::removed, {}, 0};
    std::vector<uint8_t> buffer(kMaxPacket);
    ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n > 0) {
      buffer.resize(static_cast<size_t>(n));
      return {Status::ok, std::move(buffer), 0};
    }
    if (n == 0) {
      // End of file and an empty report look alike; the hang-up tells them apart.
      if (hung_up(fd)) return {Status::removed, {}, 0};
      return {Status::ok, {}, 0};
    }
    int err = errno;
    if (err == EAGAIN || err == EWOULDBLOCK || err == EINTR) continue;
    if (removal_errno(err) || hung_up(fd)) return {Status::removed, {}, err};
    return {Status::error, {}, err};
  }
}

Status transmit(int fd, bool& use_write, const std::vector<uint8_t>& bytes, int timeout_ms, int& error) {
  Deadline deadline(timeout_ms);
  for (;;) {
    int revents = wait_for(fd, POLLOUT, deadline);
    if (revents < 0) {
      error = errno;
      return Status::error;
    }
    if (revents == 0) return Status::timeout;
    if (revents & (POLLHUP | POLLERR | POLLNVAL)) return Status::removed;
    ssize_t n = use_write ? ::write(fd, bytes.data(), bytes.size())
                          : ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && !use_write && errno == ENOTSOCK) {
      use_write = true;  // a device node
      continue;
    }
    if (n >= 0) {
      if (static_cast<size_t>(n) == bytes.size()) return Status::ok;
      error = EIO;  // a report goes whole or not at all
      return Status::error;
    }
    int err = errno;
    if (err == EAGAIN || err == EWOULDBLOCK || err == EINTR) continue;
    error = err;
    if (removal_errno(err) || hung_up(fd)) return Status::removed;
    return Status::error;
  }
}

std::vector<uint8_t> with_id(uint8_t report_id, std::span<const uint8_t> data) {
  std::vector<uint8_t> bytes;
  bytes.reserve(data.size() + 1);
  bytes.push_back(report_id);
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

}  // namespace

Channel::Channel(Fd fd, DeviceInfo info) : fd_(std::move(fd)), info_(std::move(info)) {
  detail::make_nonblocking(fd_.get());
}

Status Channel::write_report(uint8_t report_id, std::span<const uint8_t> data, int timeout_ms) {
  if (removed_) return Status::removed;
  last_error_ = 0;
  Status status = transmit(fd_.get(), use_write_, with_id(report_id, data), timeout_ms, last_error_);
  if (status == Status::removed) removed_ = true;
  return status;
}

ReadResult Channel::read_report(int timeout_ms) {
  if (removed_) return {Status::removed, {}, 0};
  Packet packet = receive(fd_.get(), timeout_ms);
  last_error_ = packet.error;
  ReadResult result{packet.status, {}, packet.error};
  if (packet.status == Status::removed) removed_ = true;
  if (packet.status != Status::ok) return result;
  if (info_.numbered_reports && !packet.bytes.empty()) {
    result.report.report_id = packet.bytes[0];
    packet.bytes.erase(packet.bytes.begin());
  }
  result.report.data = std::move(packet.bytes);
  return result;
}

DevicePort::DevicePort(Fd fd, bool numbered_reports) : fd_(std::move(fd)), numbered_(numbered_reports) {
  detail::make_nonblocking(fd_.get());
}

ReadResult DevicePort::read_output(int timeout_ms) {
  // No shortcut once removed: what the host sent before it went, a send that
  // found it gone included, is still handed out.
  Packet packet = receive(fd_.get(), timeout_ms);
  ReadResult result{packet.status, {}, packet.error};
  if (packet.status == Status::removed) removed_ = true;
  if (packet.status != Status::ok) return result;
  // The host always puts the report ID first, 0 for unnumbered reports.
  if (!packet.bytes.empty()) {
    result.report.report_id = packet.bytes[0];
    packet.bytes.erase(packet.bytes.begin());
  }
  result.report.data = std::move(packet.bytes);
  return result;
}

Status DevicePort::send_input(uint8_t report_id, std::span<const uint8_t> data, int timeout_ms) {
  if (removed_) return Status::removed;
  std::vector<uint8_t> bytes = numbered_ ? with_id(report_id, data) : std::vector<uint8_t>(data.begin(), data.end());
  bool use_write = false;
  int error = 0;
  Status status = transmit(fd_.get(), use_write, bytes, timeout_ms, error);
  if (status == Status::removed) removed_ = true;
  return status;
}

}  // namespace hidbus
