// Virtual devices: SOCK_SEQPACKET sockets in a folder, each with an info file.

#include "internal.h"
#include "virtual_entry.h"

#include "fileread/fileread.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace hidbus {

std::string default_virtual_dir() {
  if (const char* dir = std::getenv("HIDBUS_VIRTUAL_DIR"); dir && *dir) return dir;
  if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run) return std::string(run) + "/hidbus";
  // Each user a folder of their own: a shared one would be anyone's to fill.
  return "/tmp/hidbus-" + std::to_string(::geteuid());
}

namespace detail {

bool is_device_name(const std::string& name) {
  return !name.empty() && name.size() <= kMaxDeviceName && name.front() != '.' &&
         name.find_first_of("/\n") == std::string::npos;
}

std::string socket_path(const std::string& dir, const std::string& name) { return dir + "/" + name + ".sock"; }

std::string info_path(const std::string& dir, const std::string& name) { return dir + "/" + name + ".info"; }

FolderCheck check_folder(const std::string& dir) {
  FolderCheck check;
  // O_NOFOLLOW: a link would let whoever owns it point it elsewhere later.
  Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (!fd) {
    int err = errno;
    if (::lstat(dir.c_str(), &st) != 0) {
      check.missing = errno == ENOENT;
      check.why = errno_text(errno);
    } else if (S_ISLNK(st.st_mode)) {
      check.why = "a symbolic link";
    } else if (!S_ISDIR(st.st_mode)) {
      check.why = "not a folder";
    } else {
      check.why = errno_text(err);
    }
    return check;
  }
  if (::fstat(fd.get(), &st) != 0) {
    check.why = errno_text(errno);
    return check;
  }
  uid_t me = ::geteuid();
  if (st.st_uid != me) {
    check.why = "owned by uid " + std::to_string(st.st_uid) + ", not by uid " + std::to_string(me);
  } else if (st.st_mode & (S_IWGRP | S_IWOTH)) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    check.why = std::string("writable by others (mode ") + mode + ")";
  } else {
    check.fd = std::move(fd);
  }
  return check;
}

std::optional<DeviceInfo> read_entry(int dir_fd, const std::string& dir, const std::string& name) {
  // With a slash a name would reach (and, for a stale entry, remove) files in
  // folders nobody checked.
  if (!is_device_name(name)) return std::nullopt;
  std::string file = name + ".info";
  Fd fd(::openat(dir_fd, file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd) return std::nullopt;
  if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) {
    // Nobody holds the lock: the server is gone. Remove the entry unless a
    // new server has put its own in place meanwhile.
    struct stat ours {
    }, now{};
    if (::fstat(fd.get(), &ours) == 0 && ::fstatat(dir_fd, file.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        ours.st_ino == now.st_ino && ours.st_dev == now.st_dev) {
      ::unlinkat(dir_fd, (name + ".sock").c_str(), 0);
      ::unlinkat(dir_fd, file.c_str(), 0);
      log("hidbus: removed stale virtual device " + name + " in " + dir);
    }
    return std::nullopt;
  }
  const fileread::FileRead text = fileread::read_fd(fd.get());
  if (!text.ok()) {
    log("hidbus: passed over virtual device " + name + " in " + dir + ": cannot read " + file + ": " + text.reason());
    return std::nullopt;
  }
  auto info = parse_info(text.bytes);
  if (info) info->path = kVirtualPrefix + name;
  return info;
}

namespace {

// Whether the server at the other end of a connected socket runs as this
// user: a socket in the folder does not make its server ours.
bool served_by_us(int fd, const std::string& name, const std::string& dir, int& error) {
  ucred peer{};
  socklen_t size = sizeof peer;
  std::string device = "hidbus: passed over virtual device " + name + " in " + dir + ": ";
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
    error = errno;
    log(device + "cannot tell who serves it: " + errno_text(error));
    return false;
  }
  uid_t me = ::geteuid();
  if (peer.uid == me) return true;
  error = EACCES;
  log(device + "its server runs as uid " + std::to_string(peer.uid) + ", not as uid " + std::to_string(me));
  return false;
}

}  // namespace

std::unique_ptr<Channel> open_entry(int dir_fd, const std::string& dir, const std::string& name, int* error) {
  std::optional<DeviceInfo> info = read_entry(dir_fd, dir, name);
  if (!info) {
    *error = ENOENT;
    return nullptr;
  }
  // The socket is reached through the folder's descriptor, so that it is the
  // folder checked: by its name, a folder swapped since would take the
  // connect elsewhere.
  std::string via = std::string(kConnectPrefix) + std::to_string(dir_fd) + "/" + name + ".sock";
  Fd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (!fd || via.size() >= sizeof address.sun_path) {
    *error = fd ? ENAMETOOLONG : errno;
  } else {
    std::memcpy(address.sun_path, via.c_str(), via.size() + 1);
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      if (served_by_us(fd.get(), name, dir, *error)) return std::make_unique<Channel>(std::move(fd), std::move(*info));
      return nullptr;
    }
    *error = errno;
  }
  log("hidbus: cannot open " + std::string(kVirtualPrefix) + name + " (" + socket_path(dir, name) +
      "): " + errno_text(*error));
  return nullptr;
}

namespace {

class VirtualSource : public Source {
 public:
  explicit VirtualSource(std::string dir) : dir_(std::move(dir)) {}

  void enumerate(std::vector<DeviceInfo>& out) override {
    std::string dir = folder();
    Fd folder_fd = trusted(dir);
    if (!folder_fd) return;
    std::vector<std::string> names;
    int listed = ::fcntl(folder_fd.get(), F_DUPFD_CLOEXEC, 0);
    DIR* listing = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!listing) {
      if (listed >= 0) ::close(listed);
      return;
    }
    while (const dirent* entry = ::readdir(listing)) {
      std::string file = entry->d_name;
      if (file.size() > 5 && file[0] != '.' && file.ends_with(".info")) {
        names.push_back(file.substr(0, file.size() - 5));
      }
    }
    ::closedir(listing);
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
      if (auto info = read_entry(folder_fd.get(), dir, name)) out.push_back(std::move(*info));
    }
  }

  bool owns(const std::string& path) const override { return path.rfind(kVirtualPrefix, 0) == 0; }

  std::unique_ptr<Channel> open(const std::string& path, int* error) override {
    std::string name = path.substr(std::strlen(kVirtualPrefix));
    std::string dir = folder();
    Fd folder_fd = trusted(dir);
    if (!folder_fd) {
      *error = ENOENT;
      return nullptr;
    }
    return open_entry(folder_fd.get(), dir, name, error);
  }

 private:
  std::string folder() const { return dir_.empty() ? default_virtual_dir() : dir_; }

  // The folder, open, when it is the user's own; else says once why it is
  // passed over (the search asks every second).
  Fd trusted(const std::string& dir) {
    FolderCheck check = check_folder(dir);
    std::lock_guard lock(mutex_);
    if (check.fd || check.missing) {
      reported_.clear();
    } else if (std::string line = "hidbus: passed over the virtual device folder " + dir + ": " + check.why;
               line != reported_) {
      log(line);
      reported_ = std::move(line);
    }
    return std::move(check.fd);
  }

  std::string dir_;
  std::mutex mutex_;
  std::string reported_;  // the last folder line said, not said again
};

}  // namespace

std::unique_ptr<Source> make_virtual_source(std::string dir) { return std::make_unique<VirtualSource>(std::move(dir)); }

}  // namespace detail
}  // namespace hidbus
