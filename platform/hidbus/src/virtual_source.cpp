// Virtual devices: SOCK_SEQPACKET sockets in a folder, each with an info file.

#include "internal.h"
#include "virtual_entry.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace hidbus {

std::string default_virtual_dir() {
  if (const char* dir = std::getenv("HIDBUS_VIRTUAL_DIR"); dir && *dir) return dir;
  if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run) return std::string(run) + "/hidbus";
  return "/tmp/hidbus";
}

namespace detail {

std::string socket_path(const std::string& dir, const std::string& name) { return dir + "/" + name + ".sock"; }

std::string info_path(const std::string& dir, const std::string& name) { return dir + "/" + name + ".info"; }

std::optional<DeviceInfo> read_entry(const std::string& dir, const std::string& name) {
  std::string path = info_path(dir, name);
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return std::nullopt;
  if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) {
    // Nobody holds the lock: the server is gone. Remove the entry unless a
    // new server has put its own in place meanwhile.
    struct stat ours {
    }, now{};
    if (::fstat(fd.get(), &ours) == 0 && ::stat(path.c_str(), &now) == 0 && ours.st_ino == now.st_ino &&
        ours.st_dev == now.st_dev) {
      ::unlink(socket_path(dir, name).c_str());
      ::unlink(path.c_str());
      log("hidbus: removed stale virtual device " + name + " in " + dir);
    }
    return std::nullopt;
  }
  std::string text;
  char buffer[1024];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  auto info = parse_info(text);
  if (info) info->path = kVirtualPrefix + name;
  return info;
}

namespace {

class VirtualSource : public Source {
 public:
  explicit VirtualSource(std::string dir) : dir_(std::move(dir)) {}

  void enumerate(std::vector<DeviceInfo>& out) override {
    namespace fs = std::filesystem;
    std::string dir = folder();
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) return;
    std::vector<std::string> names;
    for (const auto& entry : it) {
      std::string file = entry.path().filename().string();
      if (file.size() > 5 && file[0] != '.' && file.ends_with(".info")) {
        names.push_back(file.substr(0, file.size() - 5));
      }
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
      if (auto info = read_entry(dir, name)) out.push_back(std::move(*info));
    }
  }

  bool owns(const std::string& path) const override { return path.rfind(kVirtualPrefix, 0) == 0; }

  std::unique_ptr<Channel> open(const std::string& path, int* error) override {
    std::string name = path.substr(std::strlen(kVirtualPrefix));
    std::string dir = folder();
    auto info = read_entry(dir, name);
    if (!info) {
      *error = ENOENT;
      return nullptr;
    }
    std::string where = socket_path(dir, name);
    Fd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (!fd || where.size() >= sizeof address.sun_path) {
      *error = fd ? ENAMETOOLONG : errno;
    } else {
      std::memcpy(address.sun_path, where.c_str(), where.size() + 1);
      if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        return std::make_unique<Channel>(std::move(fd), std::move(*info));
      }
      *error = errno;
    }
    log("hidbus: cannot open " + path + " (" + where + "): " + errno_text(*error));
    return nullptr;
  }

 private:
  std::string folder() const { return dir_.empty() ? default_virtual_dir() : dir_; }

  std::string dir_;
};

}  // namespace

std::unique_ptr<Source> make_virtual_source(std::string dir) { return std::make_unique<VirtualSource>(std::move(dir)); }

}  // namespace detail
}  // namespace hidbus
