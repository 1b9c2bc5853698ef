#include "plugin_host.h"
#include "iokit_bus.h"
#include "sim_process.h"

#include "carbon/carbon.h"
#include "iokit/main_run_loop.h"

#include <chrono>

namespace {

using machid_test::Device;
using machid_test::PluginTest;
using testsupport::IOKitBus;

// Gives events turns until a report has arrived or two seconds have passed.
bool AwaitReport(Device& device, std::size_t count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (device.received.size() < count && std::chrono::steady_clock::now() < deadline) {
    iokit::builtin_run_loop().run_one_turn(10);
    EventRecord record;
    WaitNextEvent(0, &record, 0, nullptr);
  }
  return device.received.size() >= count;
}

TEST_F(PluginTest, TalksToABootloaderSimProcess) {
  IOKitBus bus;
  testsupport::SimProcess sim(BOOTLOADER_SIM_PATH, {}, {{"HIDBUS_VIRTUAL_DIR", bus.virtual_dir()}});

  Device device;
  ASSERT_TRUE(device.FindFirstDevice());
  EXPECT_EQ(device.Number(machid_test::kVendorID), 0x04D8);
  EXPECT_EQ(device.Number(machid_test::kProductID), 0x003C);
  device.Call(machid_test::kConnect);
  ASSERT_EQ(device.Lasterror(), 0);
  device.Call(machid_test::kInstallCallback);
  ASSERT_EQ(device.Lasterror(), 0);

  device.SendMessage(std::string("\x02", 1) + std::string(63, '\0'));  // QUERY_DEVICE
  ASSERT_EQ(device.Lasterror(), 0);
  ASSERT_TRUE(AwaitReport(device, 1));
  const std::string& reply = *device.received[0].data;
  ASSERT_EQ(reply.size(), 64u);
  EXPECT_EQ(reply[0], 0x02);
  EXPECT_EQ(reply[1], 56);  // bytes per packet
  EXPECT_EQ(reply[2], 1);   // family
  EXPECT_EQ(reply[3], 1);   // a program region first
}

}  // namespace
