#pragma once
// Pieces shared by the sources of the bus; not part of the contract.

#include <hidbus/hidbus.h>

#include <optional>
#include <string>
#include <vector>

namespace hidbus::detail {

void log(const std::string& line);
std::string errno_text(int err);

// Sets O_NONBLOCK and FD_CLOEXEC; false with errno set on failure.
bool make_nonblocking(int fd);
// The other end hung up, or the node reports an error (a removed hidraw node).
bool hung_up(int fd);

// One source of devices. Paths carry the source's prefix so that open() finds
// the source again.
class Source {
 public:
  virtual ~Source() = default;
  virtual void enumerate(std::vector<DeviceInfo>& out) = 0;
  virtual bool owns(const std::string& path) const = 0;
  // nullptr with *error set on failure.
  virtual std::unique_ptr<Channel> open(const std::string& path, int* error) = 0;
};

std::unique_ptr<Source> make_hidraw_source(const BusOptions& options);
std::unique_ptr<Source> make_virtual_source(std::string dir);  // empty: default dir per call

// The info file of a virtual device: "key=value" lines.
std::string format_info(const DeviceInfo& info);
std::optional<DeviceInfo> parse_info(const std::string& text);

inline constexpr const char* kVirtualPrefix = "virtual:";
inline constexpr const char* kInprocPrefix = "inproc:";

}  // namespace hidbus::detail
