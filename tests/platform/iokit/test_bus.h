#pragma once
// A HID bus of its own for a test: nothing from the machine, only the devices
// the test attaches. The IOKit stand-in walks it while the fixture lives.

#include "hidbus/hidbus.h"
#include "iokit/bus.h"
#include "scratch_dir.h"

#include <memory>
#include <string>

namespace iokit_test {

class TestBus {
 public:
  TestBus() {
    hidbus::BusOptions o;
    o.sysfs_root = (dir_ / "sys").string();
    o.dev_root = (dir_ / "dev").string();
    o.virtual_dir = (dir_ / "virtual").string();
    bus_ = std::make_unique<hidbus::Bus>(o);
    iokit::set_bus(bus_.get());
  }
  ~TestBus() {
    iokit::set_bus(nullptr);
    bus_.reset();
  }
  TestBus(const TestBus&) = delete;
  TestBus& operator=(const TestBus&) = delete;

  hidbus::Bus& bus() { return *bus_; }
  std::string virtual_dir() const { return (dir_ / "virtual").string(); }

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
  testsupport::ScratchDir dir_;
  std::unique_ptr<hidbus::Bus> bus_;
};

}  // namespace iokit_test
