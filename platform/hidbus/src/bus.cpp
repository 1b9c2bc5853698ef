// The bus: the one place that picks the sources, and the devices attached in
// process.

#include "internal.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>

namespace hidbus {

struct Bus::Impl {
  std::vector<std::unique_ptr<detail::Source>> sources;

  struct Attached {
    DeviceInfo info;
    Fd host;  // the bus's end; channels get duplicates of it
  };
  std::mutex mutex;
  std::vector<Attached> attached;
  unsigned next_id = 1;

  // Drops devices whose device end has closed: they have left the bus.
  void prune_locked() {
    std::erase_if(attached, [](const Attached& a) { return detail::hung_up(a.host.get()); });
  }
};

Bus::Bus() : Bus(BusOptions{}) {}

Bus::Bus(BusOptions options) : impl_(std::make_unique<Impl>()) {
  impl_->sources.push_back(detail::make_hidraw_source(options));
  impl_->sources.push_back(detail::make_virtual_source(options.virtual_dir));
}

Bus::~Bus() = default;

std::vector<DeviceInfo> Bus::enumerate() {
  std::vector<DeviceInfo> devices;
  for (auto& source : impl_->sources) source->enumerate(devices);
  std::lock_guard lock(impl_->mutex);
  impl_->prune_locked();
  for (const auto& a : impl_->attached) devices.push_back(a.info);
  return devices;
}

std::unique_ptr<Channel> Bus::open(const std::string& path, int* error) {
  int ignored = 0;
  int& err = error ? *error : ignored;
  err = 0;
  if (path.rfind(detail::kInprocPrefix, 0) == 0) {
    std::lock_guard lock(impl_->mutex);
    impl_->prune_locked();
    for (const auto& a : impl_->attached) {
      if (a.info.path != path) continue;
      int fd = ::fcntl(a.host.get(), F_DUPFD_CLOEXEC, 0);
      if (fd < 0) {
        err = errno;
        detail::log("hidbus: cannot open " + path + ": " + detail::errno_text(err));
        return nullptr;
      }
      return std::make_unique<Channel>(Fd(fd), a.info);
    }
    err = ENOENT;
    return nullptr;
  }
  for (auto& source : impl_->sources) {
    if (source->owns(path)) return source->open(path, &err);
  }
  err = ENOENT;
  return nullptr;
}

AttachedDevice Bus::attach(DeviceInfo info) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return {};
  Fd host(ends[0]);
  Fd device(ends[1]);
  std::lock_guard lock(impl_->mutex);
  info.path = detail::kInprocPrefix + std::to_string(impl_->next_id++);
  AttachedDevice result{info.path, std::move(device)};
  impl_->attached.push_back({std::move(info), std::move(host)});
  return result;
}

bool Bus::detach(const std::string& path) {
  std::lock_guard lock(impl_->mutex);
  for (auto it = impl_->attached.begin(); it != impl_->attached.end(); ++it) {
    if (it->info.path != path) continue;
    // Shutting the socket down reaches every duplicate a channel holds.
    ::shutdown(it->host.get(), SHUT_RDWR);
    impl_->attached.erase(it);
    return true;
  }
  return false;
}

Bus& default_bus() {
  static Bus bus;
  return bus;
}

std::vector<DeviceInfo> enumerate() { return default_bus().enumerate(); }
std::unique_ptr<Channel> open(const std::string& path, int* error) { return default_bus().open(path, error); }
AttachedDevice attach(DeviceInfo info) { return default_bus().attach(std::move(info)); }
bool detach(const std::string& path) { return default_bus().detach(path); }

}  // namespace hidbus
