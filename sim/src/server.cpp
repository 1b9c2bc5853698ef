#include <sim/server.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <poll.h>
#include <system_error>
#include <unistd.h>

namespace sim {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Often enough for a test waiting on the dump, rare enough for a long update.
constexpr milliseconds kDumpInterval(250);

// Where the device meets its host: a virtual device that takes hosts one
// after another, or a device attached in process with its one connection.
class Link {
 public:
  virtual ~Link() = default;
  virtual int listen_fd() const = 0;  // -1: hosts do not come and go
  virtual hidbus::DevicePort* accept() = 0;
  virtual hidbus::DevicePort* port() = 0;
  virtual void drop() = 0;   // the host's connection ends
  virtual void leave() = 0;  // the device leaves the bus
  virtual bool ends_with_connection() const = 0;
};

class VirtualLink : public Link {
 public:
  explicit VirtualLink(hidbus::VirtualDevice& device) : device_(device) {}
  int listen_fd() const override { return device_.listen_fd(); }
  hidbus::DevicePort* accept() override { return device_.accept(); }
  hidbus::DevicePort* port() override { return device_.port(); }
  void drop() override { device_.drop_host(); }
  void leave() override { device_.unpublish(); }
  bool ends_with_connection() const override { return false; }

 private:
  hidbus::VirtualDevice& device_;
};

class InprocLink : public Link {
 public:
  InprocLink(hidbus::Bus& bus, std::string path, hidbus::Fd fd)
      : bus_(bus), path_(std::move(path)), port_(std::make_unique<hidbus::DevicePort>(std::move(fd), false)) {}
  int listen_fd() const override { return -1; }
  hidbus::DevicePort* accept() override { return nullptr; }
  hidbus::DevicePort* port() override { return port_.get(); }
  void drop() override { leave(); }
  void leave() override {
    bus_.detach(path_);
    port_.reset();
  }
  bool ends_with_connection() const override { return true; }

 private:
  hidbus::Bus& bus_;
  std::string path_;
  std::unique_ptr<hidbus::DevicePort> port_;
};

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

void serve(Device& device, std::mutex& mutex, Link& link, int stop_fd) {
  const Config& config = device.config();  // fixed for the device's life
  const bool dumping = !config.dump_file.empty();
  Clock::time_point now = Clock::now();
  const Frames frames(milliseconds(config.frame_ms), now);
  std::deque<std::vector<uint8_t>> outbox;
  Clock::time_point next_read = now, next_send = now, busy_until = now, last_dump{};
  std::optional<Clock::time_point> read_at;  // a command waits for this frame
  bool listening = false;  // waiting for a command since a frame start
  uint64_t dumped = device.changes();
  bool leaving = false;

  auto take = [&](Device::Response response, Clock::time_point frame) {
    // An answer leaves in a later frame than its command came in.
    for (auto& report : response.reports) outbox.push_back(std::move(report));
    if (!response.reports.empty()) next_send = std::max(next_send, frames.next(frame));
    busy_until = std::max(busy_until, frame + milliseconds(response.busy_ms));
    leaving |= response.leave;
    return response.reset;
  };
  auto connect = [&](Clock::time_point at) {
    outbox.clear();
    read_at.reset();
    listening = false;
    next_read = next_send = busy_until = at;
    Device::Response response;
    {
      std::lock_guard lock(mutex);
      response = device.on_connect();
    }
    take(std::move(response), at);
  };
  // True when serving ends with the connection.
  auto connection_ended = [&] {
    outbox.clear();
    read_at.reset();
    listening = false;
    link.drop();
    return link.ends_with_connection();
  };

  if (link.port()) connect(now);
  for (;;) {
    now = Clock::now();
    uint64_t changes = 0;
    if (dumping) {
      std::lock_guard lock(mutex);
      changes = device.changes();
      if (changes != dumped && now - last_dump >= kDumpInterval) {
        write_dump(device, config.dump_file);
        dumped = changes;
        last_dump = now;
      }
    }
    hidbus::DevicePort* port = link.port();
    if (leaving && (outbox.empty() || !port)) {
      link.leave();
      break;
    }

    if (port && !read_at && !listening && !leaving && now >= std::max(next_read, busy_until)) {
      // A command that was already waiting goes in this frame; one that
      // arrives while we listen goes in the next.
      listening = true;
      pollfd p{port->fd(), POLLIN, 0};
      if (::poll(&p, 1, 0) == 1 && (p.revents & POLLIN)) read_at = now;
    }
    if (port && read_at && now >= *read_at) {
      Clock::time_point frame = frames.floor(*read_at);
      read_at.reset();
      listening = false;
      hidbus::ReadResult result = port->read_output(0);
      if (result.status == hidbus::Status::ok) {
        Device::Response response;
        {
          std::lock_guard lock(mutex);
          response = device.handle(result.report.data);
        }
        next_read = frames.next(frame);
        if (take(std::move(response), frame)) {
          if (connection_ended()) break;  // reset: the device drops off the bus
          continue;
        }
      } else if (result.status != hidbus::Status::timeout) {
        if (connection_ended()) break;
        continue;
      }
    }

    pollfd fds[3];
    nfds_t count = 0;
    fds[count++] = {stop_fd, POLLIN, 0};
    int listen_index = -1, port_index = -1;
    if (link.listen_fd() >= 0) {
      listen_index = static_cast<int>(count);
      fds[count++] = {link.listen_fd(), POLLIN, 0};
    }
    Clock::time_point wake = now + milliseconds(1000);
    if (port) {
      short events = 0;
      if (read_at) {
        wake = std::min(wake, *read_at);
      } else if (!leaving) {
        if (listening) {
          events |= POLLIN;
        } else {
          wake = std::min(wake, std::max(next_read, busy_until));
        }
      }
      if (!outbox.empty()) {
        if (now >= next_send) {
          events |= POLLOUT;
        } else {
          wake = std::min(wake, next_send);
        }
      }
      port_index = static_cast<int>(count);
      fds[count++] = {port->fd(), events, 0};  // a hang-up shows even with no events
    }
    if (dumping && changes != dumped) wake = std::min(wake, last_dump + kDumpInterval);

    // Deadlines are absolute frame starts; now is read just before the wait.
    const timespec timeout = time_until(wake, Clock::now());
    if (::ppoll(fds, count, &timeout, nullptr) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents) break;
    now = Clock::now();
    if (listen_index >= 0 && (fds[listen_index].revents & POLLIN)) {
      if (link.accept()) connect(now);
      continue;
    }
    if (port_index < 0) continue;
    short revents = fds[port_index].revents;
    if (revents & POLLIN) {
      read_at = frames.ceil(now);  // taken at the start of the next frame
    } else if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
      if (connection_ended()) break;
      continue;
    }
    if ((revents & POLLOUT) && !outbox.empty()) {
      hidbus::Status status = port->send_input(0, outbox.front(), 0);
      if (status == hidbus::Status::ok) {
        outbox.pop_front();
        next_send = frames.next(now);
      } else if (status != hidbus::Status::timeout) {
        if (connection_ended()) break;
      }
    }
  }
  if (dumping) {
    std::lock_guard lock(mutex);
    write_dump(device, config.dump_file);
  }
}

}  // namespace

hidbus::DeviceInfo device_info(const Config& config) {
  hidbus::DeviceInfo info;
  info.vendor_id = config.vendor_id;
  info.product_id = config.product_id;
  info.version = config.version;
  info.manufacturer = config.manufacturer;
  info.product = config.product;
  info.serial_number = config.serial_number;
  info.max_input_report = kPacketSize;
  info.max_output_report = kPacketSize;
  info.usage_page = 0xFF00;
  info.usage = 0x0001;
  return info;
}

bool write_dump(const Device& device, const std::string& path) {
  // Readers never see half a file: write beside it, then rename.
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << device.intel_hex();
    if (!out.flush()) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

void serve_virtual(Device& device, std::mutex& mutex, int stop_fd, const std::string& dir,
                   const std::function<void(const std::string&)>& ready) {
  hidbus::VirtualDevice published(device.config().name, device_info(device.config()), dir);
  if (ready) ready(published.info().path);
  VirtualLink link(published);
  serve(device, mutex, link, stop_fd);
}

Device make_device(Config config) {
  Device device(std::move(config));
  if (!device.config().fill_file.empty()) device.fill(read_intel_hex_file(device.config().fill_file));
  if (device.config().verbose) {
    device.set_log([](const std::string& line) { std::fprintf(stderr, "bootloader-sim: %s\n", line.c_str()); });
  }
  return device;
}

InProcessDevice::InProcessDevice(Config config, hidbus::Bus& bus)
    : device_(make_device(std::move(config))), bus_(bus) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe2");
  wake_read_.reset(ends[0]);
  wake_write_.reset(ends[1]);
  hidbus::AttachedDevice attached = bus_.attach(device_info(device_.config()));
  if (!attached.device_fd) throw std::system_error(EIO, std::generic_category(), "cannot attach the device");
  path_ = attached.path;
  thread_ = std::thread([this, fd = std::move(attached.device_fd)]() mutable {
    InprocLink link(bus_, path_, std::move(fd));
    serve(device_, mutex_, link, wake_read_.get());
  });
}

InProcessDevice::~InProcessDevice() { stop(); }

void InProcessDevice::stop() {
  if (thread_.joinable()) {
    char byte = 1;
    ssize_t ignored = ::write(wake_write_.get(), &byte, 1);
    (void)ignored;
    thread_.join();
  }
  bus_.detach(path_);
}

}  // namespace sim
