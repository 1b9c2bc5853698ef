// The server side of a virtual device, used by the simulator.

#include "internal.h"
#include "virtual_entry.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <unistd.h>

namespace hidbus {
namespace {

[[noreturn]] void fail(int err, const std::string& what) {
  throw std::system_error(err, std::generic_category(), what);
}

void check_name(const std::string& name) {
  if (name.size() > detail::kMaxDeviceName) {
    throw std::invalid_argument("virtual device name \"" + name + "\" is longer than " +
                                std::to_string(detail::kMaxDeviceName) + " bytes, the most a host can reach");
  }
  if (!detail::is_device_name(name)) {
    throw std::invalid_argument("invalid virtual device name \"" + name + "\"");
  }
}

bool write_all(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

VirtualDevice::VirtualDevice(const std::string& name, DeviceInfo info, const std::string& dir_arg)
    : info_(std::move(info)) {
  check_name(name);
  std::string dir = dir_arg.empty() ? default_virtual_dir() : dir_arg;
  socket_path_ = detail::socket_path(dir, name);
  info_path_ = detail::info_path(dir, name);
  sockaddr_un address{};
  if (socket_path_.size() >= sizeof address.sun_path) {
    throw std::invalid_argument("virtual device path too long for a socket: " + socket_path_);
  }

  // The folder is the user's own: made so, and served into only while it is,
  // or the device and what hosts send it would be open to others.
  std::error_code ec;
  if (std::filesystem::path parent = std::filesystem::path(dir).parent_path(); !parent.empty()) {
    std::filesystem::create_directories(parent, ec);
    if (ec) fail(ec.value(), "cannot create " + parent.string());
  }
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) fail(errno, "cannot create " + dir);
  detail::FolderCheck folder = detail::check_folder(dir);
  if (!folder.fd) fail(EACCES, "will not serve in the virtual device folder " + dir + ": " + folder.why);
  if (detail::read_entry(folder.fd.get(), dir, name)) {
    fail(EADDRINUSE, "virtual device " + name + " is already published in " + dir);
  }

  listen_.reset(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!listen_) fail(errno, "cannot create a socket");
  ::unlink(socket_path_.c_str());  // left by a server that died
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socket_path_.c_str(), socket_path_.size() + 1);
  if (::bind(listen_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    fail(errno, "cannot bind " + socket_path_);
  }
  if (::listen(listen_.get(), 4) != 0) fail(errno, "cannot listen on " + socket_path_);

  // Readers must never see a half-written info file: write it beside, lock it,
  // then rename it into place. The lock lives as long as this server.
  std::string temp = dir + "/." + name + ".info." + std::to_string(::getpid());
  Fd file(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!file) fail(errno, "cannot write " + temp);
  if (::flock(file.get(), LOCK_EX) != 0 || !write_all(file.get(), detail::format_info(info_)) ||
      ::rename(temp.c_str(), info_path_.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    ::unlink(socket_path_.c_str());
    fail(err, "cannot publish " + info_path_);
  }
  info_lock_ = std::move(file);
  info_.path = detail::kVirtualPrefix + name;
}

VirtualDevice::~VirtualDevice() { unpublish(); }

DevicePort* VirtualDevice::accept() {
  if (!listen_) return nullptr;
  Fd host(::accept4(listen_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (!host) return nullptr;
  if (port_ && !port_->removed() && !detail::hung_up(port_->fd())) return nullptr;  // busy: host closed
  port_ = std::make_unique<DevicePort>(std::move(host), info_.numbered_reports);
  return port_.get();
}

void VirtualDevice::drop_host() { port_.reset(); }

void VirtualDevice::unpublish() {
  drop_host();
  if (info_lock_) {
    struct stat ours {
    }, now{};
    if (::fstat(info_lock_.get(), &ours) == 0 && ::stat(info_path_.c_str(), &now) == 0 && ours.st_ino == now.st_ino &&
        ours.st_dev == now.st_dev) {
      ::unlink(socket_path_.c_str());
      ::unlink(info_path_.c_str());
    }
    info_lock_.reset();
  }
  listen_.reset();
}

}  // namespace hidbus
