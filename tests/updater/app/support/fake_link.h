#pragma once
// The mac device path over simulated bootloaders, in process and on the
// application's own clock: the device walk lists the given devices, the
// connected one answers through sim::Device, and its answers reach the
// receive queue when the link is read, as the device link's event turn
// would deliver them. ReadCommand hands out the report that arrived last.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "framework/clock.h"
#include "framework/memoryblock.h"
#include "sim/device.h"
#include "updater/device_path.h"

namespace apptest {

struct FakeDevice {
  int32_t vendor_id = 0x04D8;
  int32_t product_id = 0x003C;
  std::optional<sim::Config> bootloader;  // none: a device that answers nothing
  int32_t connect_error = 0;              // Lasterror after Connect
};

class FakeLink {
 public:
  explicit FakeLink(std::vector<FakeDevice> devices);
  ~FakeLink();

  // The application's device path over this link, which must outlive it.
  updater::DevicePath Path();
  // Called with every packet the application sends, before the device sees it.
  void set_on_send(std::function<void(const std::vector<uint8_t>&)> hook) { on_send_ = std::move(hook); }
  // A device plugged in now; the next walk lists it last.
  void add_device(FakeDevice device) { devices_.push_back(std::move(device)); }

  // The bootloader of the connected device; nullptr before a connection.
  sim::Device* connected() const { return device_.get(); }
  int connections() const { return connections_; }
  bool callback_installed() const { return callback_installed_; }
  // Every packet the application sent, in order.
  const std::vector<std::vector<uint8_t>>& sent() const { return sent_; }
  int walks() const { return walks_; }

 private:
  class Walker;
  struct Arrival {
    framework::TimePoint due;
    std::vector<uint8_t> report;
  };

  void Send(const framework::Ref<framework::MemoryBlock>& packet);
  framework::Ref<framework::MemoryBlock> Read(HID::ReadMode mode);
  // Moves every answer due by now into the receive queue.
  void Deliver();
  framework::Ref<framework::MemoryBlock> TakeNewest();

  std::vector<FakeDevice> devices_;
  std::unique_ptr<sim::Device> device_;
  bool gone_ = false;
  framework::TimePoint busy_until_{};
  std::deque<Arrival> arriving_;
  std::vector<std::vector<uint8_t>> queue_;
  std::vector<std::vector<uint8_t>> sent_;
  int connections_ = 0;
  int walks_ = 0;
  bool callback_installed_ = false;
  std::function<void(const std::vector<uint8_t>&)> on_send_;
};

}  // namespace apptest
