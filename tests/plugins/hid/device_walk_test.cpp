#include <ostream>
#include "plugin_host.h"
#include "default_device.h"
#include "iokit_bus.h"

#include <functional>
#include <string>

namespace {

using machid_test::Device;
using machid_test::PluginTest;
using machid_test::Slot;
using testsupport::IOKitBus;

class DeviceWalkTest : public PluginTest {
 protected:
  IOKitBus bus_;
};

TEST_F(DeviceWalkTest, NoDeviceGivesFalseAndMinusOne) {
  Device device;
  EXPECT_FALSE(device.FindFirstDevice());
  EXPECT_EQ(device.Lasterror(), -1);
  EXPECT_EQ(device.Text(machid_test::kProduct), std::nullopt);
  EXPECT_EQ(device.Number(machid_test::kVendorID), 0);
  EXPECT_EQ(device.Lasterror(), -1);
}

TEST_F(DeviceWalkTest, WalksEveryDeviceAndKeepsTheLastOneAfterTheEnd) {
  auto first = bus_.bus().attach(testsupport::BootloaderInfo());
  hidbus::DeviceInfo other;
  other.vendor_id = 0x046D;
  other.product_id = 0xC077;
  other.version = 0x7200;
  other.product = "USB Optical Mouse";
  other.serial_number = "0001";
  auto second = bus_.bus().attach(other);

  Device device;
  ASSERT_TRUE(device.FindFirstDevice());
  EXPECT_EQ(device.Lasterror(), -1);  // a found device leaves it at -1
  EXPECT_EQ(device.Number(machid_test::kVendorID), 0x04D8);
  EXPECT_EQ(device.Lasterror(), 0);
  EXPECT_EQ(device.Number(machid_test::kProductID), 0x003C);
  uint32_t encoding = 0;
  EXPECT_EQ(device.Text(machid_test::kProduct, &encoding), "HID Bootloader");
  EXPECT_EQ(encoding, REALEncodingUTF8);
  EXPECT_EQ(device.Text(machid_test::kManufacturer), "Microchip Technology Inc.");
  EXPECT_EQ(device.Text(machid_test::kSerialNumber), std::nullopt);  // the key is missing
  EXPECT_EQ(device.Lasterror(), -1);

  device.Lasterror() = 77;
  ASSERT_TRUE(device.FindNextDevice());
  EXPECT_EQ(device.Lasterror(), 77);  // FindNextDevice leaves it alone
  EXPECT_EQ(device.Number(machid_test::kVersionNumber), 0x7200);
  EXPECT_EQ(device.Text(machid_test::kSerialNumber), "0001");

  EXPECT_FALSE(device.FindNextDevice());
  EXPECT_FALSE(device.FindNextDevice());
  EXPECT_EQ(device.Text(machid_test::kProduct), "USB Optical Mouse");
  device.Call(machid_test::kConnect);
  EXPECT_EQ(device.Lasterror(), 1);  // no current device any more
}

TEST_F(DeviceWalkTest, TextsThatConvertToNothingAndLongTexts) {
  auto info = testsupport::BootloaderInfo();
  info.product = std::string("\0abc", 4);  // a text whose first character ends it
  info.manufacturer = std::string(150, 'M');
  auto attached = bus_.bus().attach(info);

  Device device;
  ASSERT_TRUE(device.FindFirstDevice());
  EXPECT_EQ(device.Text(machid_test::kProduct), std::nullopt);
  EXPECT_EQ(device.Lasterror(), 0);
  EXPECT_EQ(device.Text(machid_test::kManufacturer), std::string(150, 'M'));
}

// Lasterror after one member, starting from a value no member sets.
struct LasterrorCase {
  friend void PrintTo(const LasterrorCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::function<void(Device&, IOKitBus&)> run;
  int32_t expected;
};

class LasterrorTest : public DeviceWalkTest, public testing::WithParamInterface<LasterrorCase> {};

TEST_P(LasterrorTest, FollowsTheMembersRule) {
  Device device;
  device.Lasterror() = 1234;
  GetParam().run(device, bus_);
  EXPECT_EQ(device.Lasterror(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Members, LasterrorTest,
    testing::Values(
        LasterrorCase{"FindFirstDeviceFound",
                      [](Device& d, IOKitBus& b) {
                        auto a = b.bus().attach(testsupport::BootloaderInfo());
                        d.FindFirstDevice();
                      },
                      -1},
        LasterrorCase{"FindNextDeviceBeforeAWalk", [](Device& d, IOKitBus&) { d.FindNextDevice(); }, 1234},
        LasterrorCase{"GetterBeforeAWalk", [](Device& d, IOKitBus&) { d.Number(machid_test::kProductID); }, -1},
        LasterrorCase{"ConnectBeforeAWalk", [](Device& d, IOKitBus&) { d.Call(machid_test::kConnect); }, 1},
        LasterrorCase{"ConnectToADeviceThatLeft",
                      [](Device& d, IOKitBus& b) {
                        auto a = b.bus().attach(testsupport::BootloaderInfo());
                        d.FindFirstDevice();
                        b.bus().detach(a.path);
                        d.Call(machid_test::kConnect);
                      },
                      3},
        LasterrorCase{"DisconnectNeverConnected", [](Device& d, IOKitBus&) { d.Call(machid_test::kDisconnect); }, 0},
        LasterrorCase{"CloseLeavesIt", [](Device& d, IOKitBus&) { d.Call(machid_test::kClose); }, 1234},
        LasterrorCase{"InstallCallbackBeforeConnect",
                      [](Device& d, IOKitBus&) { d.Call(machid_test::kInstallCallback); }, -1},
        LasterrorCase{"SendMessageWithoutDevice", [](Device& d, IOKitBus&) { d.SendMessage(std::string(64, '\0')); },
                      -1},
        LasterrorCase{"ReadMessageLengthZero", [](Device& d, IOKitBus&) { EXPECT_EQ(d.ReadMessage(0), std::nullopt); },
                      -1},
        LasterrorCase{"ReadMessageWithoutDevice",
                      [](Device& d, IOKitBus&) { EXPECT_EQ(d.ReadMessage(64), std::nullopt); }, -1}),
    [](const auto& info) { return info.param.name; });

TEST_F(DeviceWalkTest, DisconnectKeepsTheWalkSoTheSameDeviceConnectsAgain) {
  auto a = bus_.bus().attach(testsupport::BootloaderInfo());
  Device device;
  ASSERT_TRUE(device.FindFirstDevice());
  device.Call(machid_test::kConnect);
  EXPECT_EQ(device.Lasterror(), 0);
  device.Call(machid_test::kDisconnect);
  EXPECT_EQ(device.Lasterror(), 0);
  EXPECT_EQ(device.Number(machid_test::kVendorID), 0x04D8);
  device.Call(machid_test::kConnect);
  EXPECT_EQ(device.Lasterror(), 0);
  device.Call(machid_test::kClose);
  EXPECT_FALSE(device.FindNextDevice());  // Close ended the walk
  EXPECT_TRUE(device.FindFirstDevice());  // and a new one can start
}

}  // namespace
