#pragma once
// A HID bus of its own for a test: nothing from the machine, only the devices
// the test attaches. The IOKit stand-in walks it while the fixture lives.

#include "hidbus/hidbus.h"
#include "iokit/bus.h"
#include "bus_folder.h"

#include <memory>
#include <string>

namespace testsupport {

class IOKitBus {
 public:
  IOKitBus() {
    bus_ = std::make_unique<hidbus::Bus>(folder_.options());
    iokit::set_bus(bus_.get());
  }
  ~IOKitBus() {
    iokit::set_bus(nullptr);
    bus_.reset();
  }
  IOKitBus(const IOKitBus&) = delete;
  IOKitBus& operator=(const IOKitBus&) = delete;

  hidbus::Bus& bus() { return *bus_; }
  std::string virtual_dir() const { return folder_.virtual_dir(); }

 private:
  BusFolder folder_;
  std::unique_ptr<hidbus::Bus> bus_;
};

}  // namespace testsupport
