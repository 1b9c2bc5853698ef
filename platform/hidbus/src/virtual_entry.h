#pragma once
// Reading the published entries of a virtual device folder.

#include <hidbus/hidbus.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/un.h>

namespace hidbus::detail {

// A host connects to a device through "/proc/self/fd/N/NAME.sock" (the
// folder's descriptor N, see open_entry), which must fit a socket address
// with the longest N there is: the longest name of a device is what is left.
inline constexpr std::string_view kConnectPrefix = "/proc/self/fd/";
inline constexpr std::size_t kMaxFdDigits = 10;  // INT_MAX
inline constexpr std::size_t kMaxDeviceName =
    sizeof(sockaddr_un{}.sun_path) - 1 - kConnectPrefix.size() - kMaxFdDigits - std::string_view("/.sock").size();

// Whether NAME can name a device of a folder: one entry of it (no slash, no
// leading dot) on one line of the info file, that every host can reach.
bool is_device_name(const std::string& name);

std::string socket_path(const std::string& dir, const std::string& name);
std::string info_path(const std::string& dir, const std::string& name);

// What a folder is worth as a virtual device folder. Only the user's own is
// trusted: a real folder (not a symbolic link) owned by the effective user
// that no one else may write into, since whoever can put a socket there is
// taken for a device and handed its firmware.
struct FolderCheck {
  Fd fd;                 // the folder, open, when trusted
  bool missing = false;  // nothing there: no devices, nothing to say
  std::string why;       // otherwise, when not trusted: why not
};
FolderCheck check_folder(const std::string& dir);

// The entry NAME in the folder dir_fd (named dir) when its server lives. An
// entry whose server died (its info file is no longer locked) is removed and
// gives nullopt.
std::optional<DeviceInfo> read_entry(int dir_fd, const std::string& dir, const std::string& name);

// A channel to the live entry NAME of the folder dir_fd (named dir), connected
// through that descriptor (by /proc/self/fd), so it is the folder checked
// even when another has taken its name since; dir_fd must stay open until
// this returns. nullptr with *error set: ENOENT when there is no live entry,
// EACCES when another user serves it; a socket that cannot be reached or
// whose server is passed over is named on the log.
std::unique_ptr<Channel> open_entry(int dir_fd, const std::string& dir, const std::string& name, int* error);

}  // namespace hidbus::detail
