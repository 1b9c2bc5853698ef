#pragma once
// Reading the published entries of a virtual device folder.

#include <hidbus/hidbus.h>

#include <optional>
#include <string>

namespace hidbus::detail {

std::string socket_path(const std::string& dir, const std::string& name);
std::string info_path(const std::string& dir, const std::string& name);

// The entry NAME in dir when its server lives. An entry whose server died
// (its info file is no longer locked) is removed and gives nullopt.
std::optional<DeviceInfo> read_entry(const std::string& dir, const std::string& name);

}  // namespace hidbus::detail
