// Interface paths, the connections to devices and device files.

#include "devices.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>

#include "win32/system.h"

namespace win32::detail {
namespace {

constexpr const char16_t kPrefix[] = u"\\\\?\\hid#";
constexpr const char16_t kSuffix[] = u"#{4d1e55b2-f16f-11cf-88cb-001111000030}";
constexpr int kWriteTimeoutMs = 5000;
// A wait on a file looks again this often, so that a read another thread
// has completed or cancelled is seen.
constexpr int kWaitSliceMs = 20;
constexpr ULONG_PTR kPending = 0x103;

bool hung_up(int fd) {
  pollfd p{fd, 0, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

DWORD system_error(int err) {
  switch (err) {
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ECONNREFUSED:
      return ERROR_FILE_NOT_FOUND;
    case EBUSY:
      return ERROR_SHARING_VIOLATION;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace

struct Connection {
  std::string path;
  std::unique_ptr<hidbus::Channel> channel;  // never read or written: files use their own duplicates
};

namespace {
std::mutex connections_mutex;
std::map<std::string, std::weak_ptr<Connection>>& connections() {
  static auto* m = new std::map<std::string, std::weak_ptr<Connection>>;
  return *m;
}
}  // namespace

std::u16string interface_path(const hidbus::DeviceInfo& device) {
  char ids[32];
  std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x#", device.vendor_id, device.product_id);
  return kPrefix + utf16(ids) + utf16(device.path) + kSuffix;
}

std::optional<std::string> bus_path_of(const std::u16string& path) {
  std::u16string prefix(kPrefix), suffix(kSuffix);
  if (path.size() < prefix.size() + suffix.size() || path.compare(0, prefix.size(), prefix) != 0 ||
      path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return std::nullopt;
  }
  size_t ids_end = path.find(u'#', prefix.size());
  if (ids_end == std::u16string::npos || ids_end + 1 > path.size() - suffix.size()) return std::nullopt;
  return utf8(path.substr(ids_end + 1, path.size() - suffix.size() - ids_end - 1));
}

std::optional<hidbus::DeviceInfo> present_device(const std::string& bus_path) {
  for (auto& device : bus().enumerate()) {
    if (device.path == bus_path) return device;
  }
  return std::nullopt;
}

std::unique_ptr<hidbus::Channel> open_channel(const hidbus::DeviceInfo& device, std::shared_ptr<Connection>* connection,
                                              DWORD* error) {
  std::lock_guard lock(connections_mutex);
  std::erase_if(connections(), [](const auto& entry) { return entry.second.expired(); });
  std::shared_ptr<Connection> c = connections()[device.path].lock();
  if (c && (c->channel->removed() || hung_up(c->channel->fd()))) c.reset();
  if (!c) {
    int err = 0;
    auto channel = bus().open(device.path, &err);
    if (!channel) {
      *error = system_error(err);
      return nullptr;
    }
    c = std::make_shared<Connection>(Connection{device.path, std::move(channel)});
    connections()[device.path] = c;
  }
  int fd = ::fcntl(c->channel->fd(), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) {
    *error = system_error(errno);
    return nullptr;
  }
  *connection = c;
  return std::make_unique<hidbus::Channel>(hidbus::Fd(fd), c->channel->info());
}

File::File(hidbus::DeviceInfo info, std::shared_ptr<Connection> connection, std::unique_ptr<hidbus::Channel> channel,
           bool readable, bool writable, bool overlapped)
    : info_(std::move(info)),
      connection_(std::move(connection)),
      channel_(std::move(channel)),
      readable_(readable && channel_),
      writable_(writable && channel_),
      overlapped_(overlapped) {}

File::~File() = default;

void File::closed() {
  // Closing a file ends its reads; their records belong to their owners again.
  std::lock_guard lock(mutex_);
  pending_.clear();
  signalled_ = true;
}

void File::finish_locked(const Pending& p, DWORD error, DWORD bytes) {
  p.overlapped->Internal = error;
  p.overlapped->InternalHigh = bytes;
  signalled_ = true;
}

bool File::complete_one_locked() {
  if (pending_.empty()) return false;
  hidbus::ReadResult r = channel_->read_report(0);
  if (r.status == hidbus::Status::timeout) return false;
  Pending p = pending_.front();
  pending_.pop_front();
  if (r.status != hidbus::Status::ok) {
    finish_locked(p, r.status == hidbus::Status::removed ? ERROR_DEVICE_NOT_CONNECTED : ERROR_GEN_FAILURE, 0);
    return true;
  }
  std::vector<uint8_t> bytes;
  if (info_.numbered_reports) bytes.push_back(r.report.report_id);
  bytes.insert(bytes.end(), r.report.data.begin(), r.report.data.end());
  DWORD n = static_cast<DWORD>(std::min<size_t>(bytes.size(), p.length));
  if (n > 0) std::memcpy(p.buffer, bytes.data(), n);
  finish_locked(p, ERROR_SUCCESS, n);
  return true;
}

DWORD File::wait(DWORD ms) {
  using Clock = std::chrono::steady_clock;
  const bool bounded = ms != INFINITE;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(bounded ? ms : 0);
  for (;;) {
    int fd = -1;
    {
      std::lock_guard lock(mutex_);
      if (pending_.empty()) {
        if (signalled_) return WAIT_OBJECT_0;
      } else {
        if (complete_one_locked()) return WAIT_OBJECT_0;
        fd = channel_->fd();
      }
    }
    int left = kWaitSliceMs;
    if (bounded) {
      auto remaining = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
      if (remaining <= 0) return WAIT_TIMEOUT;
      left = static_cast<int>(std::min<long long>(remaining, kWaitSliceMs));
    }
    if (fd < 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(left));
    } else {
      // The file holds the channel, and this wait holds the file: fd stays open.
      pollfd p{fd, POLLIN, 0};
      ::poll(&p, 1, left);
    }
  }
}

BOOL File::write(const uint8_t* bytes, DWORD length, DWORD* written) {
  if (!writable_) return fail(ERROR_ACCESS_DENIED, FALSE);
  if (bytes == nullptr || length == 0) return fail(ERROR_INVALID_USER_BUFFER, FALSE);
  uint8_t id = 0;
  std::span<const uint8_t> data(bytes, length);
  if (info_.numbered_reports) {
    id = bytes[0];
    data = data.subspan(1);
  }
  std::lock_guard lock(mutex_);
  switch (channel_->write_report(id, data, kWriteTimeoutMs)) {
    case hidbus::Status::ok:
      *written = length;
      return succeed(TRUE);
    case hidbus::Status::timeout:
      return fail(ERROR_SEM_TIMEOUT, FALSE);
    case hidbus::Status::removed:
      return fail(ERROR_DEVICE_NOT_CONNECTED, FALSE);
    default:
      return fail(ERROR_GEN_FAILURE, FALSE);
  }
}

BOOL File::start_read(uint8_t* buffer, DWORD length, DWORD* read, OVERLAPPED* overlapped) {
  if (!readable_) return fail(ERROR_ACCESS_DENIED, FALSE);
  if (!overlapped_ || overlapped == nullptr || overlapped->hEvent != nullptr)
    return fail(ERROR_INVALID_PARAMETER, FALSE);
  if (buffer == nullptr || length == 0) return fail(ERROR_INVALID_USER_BUFFER, FALSE);
  std::lock_guard lock(mutex_);
  if (channel_->removed()) return fail(ERROR_DEVICE_NOT_CONNECTED, FALSE);
  overlapped->Internal = kPending;
  overlapped->InternalHigh = 0;
  pending_.push_back({overlapped, buffer, length, std::this_thread::get_id()});
  signalled_ = false;
  if (pending_.size() == 1 && complete_one_locked()) {
    if (overlapped->Internal != ERROR_SUCCESS) return fail(static_cast<DWORD>(overlapped->Internal), FALSE);
    if (read) *read = static_cast<DWORD>(overlapped->InternalHigh);
    return succeed(TRUE);
  }
  return fail(ERROR_IO_PENDING, FALSE);
}

BOOL File::result(OVERLAPPED* overlapped, DWORD* transferred) {
  std::lock_guard lock(mutex_);
  if (overlapped->Internal == kPending) {
    bool ours =
        std::any_of(pending_.begin(), pending_.end(), [&](const Pending& p) { return p.overlapped == overlapped; });
    if (ours) complete_one_locked();
    if (overlapped->Internal == kPending) return fail(ours ? ERROR_IO_INCOMPLETE : ERROR_INVALID_PARAMETER, FALSE);
  }
  if (transferred) *transferred = static_cast<DWORD>(overlapped->InternalHigh);
  if (overlapped->Internal != ERROR_SUCCESS) return fail(static_cast<DWORD>(overlapped->Internal), FALSE);
  return succeed(TRUE);
}

void File::cancel() {
  std::lock_guard lock(mutex_);
  auto self = std::this_thread::get_id();
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (it->thread != self) {
      ++it;
      continue;
    }
    finish_locked(*it, ERROR_OPERATION_ABORTED, 0);
    it = pending_.erase(it);
  }
}

}  // namespace win32::detail
