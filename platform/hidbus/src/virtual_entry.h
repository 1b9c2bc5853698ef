#pragma once
// Reading the published entries of a virtual device folder.

#include <hidbus/hidbus.h>

#include <optional>
#include <string>

namespace hidbus::detail {

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

}  // namespace hidbus::detail
