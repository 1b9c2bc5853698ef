#pragma once
// A HID bus of its own for a test: nothing from the machine, only the devices
// the test attaches. The IOKit stand-in walks it while the fixture lives.

#include "hidbus/hidbus.h"
#include "iokit/bus.h"
#include "bus_folder.h"

#include <memory>
#include <string>

namespace iokit_test {

class TestBus {
 public:
  TestBus() {
    bus_ = std::make_unique<hidbus::Bus>(folder_.options());
    iokit::set_bus(bus_.get());
  }
  ~TestBus() {
    iokit::set_bus(nullptr);
    bus_.reset();
  }
  TestBus(const TestBus&) = delete;
  TestBus& operator=(const TestBus&) = delete;

  hidbus::Bus& bus() { return *bus_; }
  std::string virtual_dir() const { return folder_.virtual_dir(); }

  static hidbus::DeviceInfo bootloader() {
    hidbus::DeviceInfo info;
    info.vendor_id = 0x04D8;
    info.product_id = 0x003C;
    info.version = 0x0100;
    info.manufacturer = "Microchip Technology Inc.";
    info.product = "HID Bootloader";
    info.max_input_report = 64;
    info.max_output_report = 64;
    return info;
  }

 private:
  testsupport::BusFolder folder_;
  std::unique_ptr<hidbus::Bus> bus_;
};

}  // namespace iokit_test
