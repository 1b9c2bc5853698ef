#pragma once
// The plug-ins loaded and the device link's members bound once per process;
// per test a bus of its own, fresh module data, recorded messages and debug
// lines, and the framework's loop on the steady clock again at the end.

#include <memory>
#include <string>
#include <vector>

#include "debug_log_capture.h"
#include "devicelink/device_link.h"
#include "framework/clock.h"
#include "iokit_bus.h"
#include "module_fixture.h"

namespace devicelink_test {

using framework::MemoryBlock;
using framework::Ref;

// A clock that moves one tick on every reading, so that a waiting read runs
// out after 120 of its polls and no real time.
class TickPerReadClock final : public framework::Clock {
 public:
  framework::TimePoint now() const override;
  bool is_manual() const override { return true; }
  int64_t readings() const { return readings_; }

 private:
  mutable int64_t readings_ = 0;
};

class DeviceLinkTest : public hidtest::ModuleTest {
 protected:
  static void SetUpTestSuite();
  // The MacHIDQVX members, bound once per process.
  static const std::shared_ptr<const HID::MacHIDQVXMembers>& Members() { return members_; }
  void SetUp() override;
  void TearDown() override;

  // A MyMacHID connected to a device it attaches to the bus, its callback installed.
  Ref<HID::MyMacHID> ConnectedDevice();
  // The device end of the attached device.
  hidbus::DevicePort& port() { return *port_; }
  void Send(const std::vector<uint8_t>& report);
  // One output report the device received.
  std::vector<uint8_t> Output();
  // Debug log lines written since the test began that start with prefix.
  std::vector<std::string> DebugLines(const std::string& prefix) const;

  testsupport::IOKitBus bus_;
  std::unique_ptr<hidbus::DevicePort> port_;
  testsupport::DebugLogCapture debug_log_;

 private:
  static inline std::shared_ptr<const HID::MacHIDQVXMembers> members_;
};

Ref<MemoryBlock> Block(const std::vector<uint8_t>& bytes);

}  // namespace devicelink_test
