#pragma once
// Serving a Device on the HID bus with USB-like pacing: at most one report per
// frame in each direction, an answer no earlier than the frame after its
// command, nothing read while the device is busy erasing. The memory dump, if
// configured, is written at most four times a second while it changes, and
// when serving ends.

#include <sim/device.h>

#include <hidbus/hidbus.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace sim {

// The identity a Config gives the device on the bus: 64-byte input and
// output reports without report IDs, vendor-defined usage page 0xFF00.
hidbus::DeviceInfo device_info(const Config& config);

// Publishes the device as the virtual device config.name in dir (empty: the
// bus's default folder) and serves hosts one after another until stop_fd is
// readable or the device leaves the bus (remove-after). ready is called once
// with the device's path when it is published. Throws what VirtualDevice
// throws. The caller's mutex guards the device against other readers.
void serve_virtual(Device& device, std::mutex& mutex, int stop_fd, const std::string& dir,
                   const std::function<void(const std::string&)>& ready);

// The device a Config describes, with config.fill_file loaded (throws
// HexError, ConfigError) and, in verbose mode, its log on standard error.
Device make_device(Config config);

// Writes device's memory to path as Intel HEX, replacing the file whole.
// False when it cannot be written.
bool write_dump(const Device& device, const std::string& path);

// A device attached to a hidbus::Bus in this process and served on a thread
// of its own, for tests. It serves the one connection the bus gives it; after
// a removal (remove-after, RESET_DEVICE) it has left the bus.
class InProcessDevice {
 public:
  // Builds the device with make_device (and its exceptions).
  explicit InProcessDevice(Config config, hidbus::Bus& bus = hidbus::default_bus());
  ~InProcessDevice();  // stop()
  InProcessDevice(const InProcessDevice&) = delete;
  InProcessDevice& operator=(const InProcessDevice&) = delete;

  const std::string& path() const { return path_; }
  // Ends serving, detaches the device and writes the dump if configured.
  void stop();
  // Reads the device under its lock.
  template <typename F>
  auto inspect(F f) const {
    std::lock_guard lock(mutex_);
    return f(device_);
  }

 private:
  Device device_;
  hidbus::Bus& bus_;
  std::string path_;
  mutable std::mutex mutex_;
  hidbus::Fd wake_read_, wake_write_;
  std::thread thread_;
};

}  // namespace sim
