#include "devicelink_fixture.h"
#include "protocol/packets.h"
#include "sim_process.h"

namespace {

using devicelink_test::DeviceLinkTest;
using framework::MemoryBlock;
using framework::Ref;

// The whole road: the loaded plug-in, the IOKit stand-in, the HID bus and a
// bootloader-sim process serving the default device.
TEST_F(DeviceLinkTest, ExchangesQueryDeviceAndGetDataWithABootloaderSimProcess) {
  testsupport::SimProcess sim(BOOTLOADER_SIM_PATH, {}, {{"HIDBUS_VIRTUAL_DIR", bus_.virtual_dir()}});

  Ref<HID::MyMacHID> device = framework::make<HID::MyMacHID>(Members(), bound);
  bool found = device->FindFirstDevice();
  while (found && !(device->VendorID() == 0x04D8 && device->ProductID() == 0x003C)) found = device->FindNextDevice();
  ASSERT_TRUE(found);
  device->Connect();
  ASSERT_EQ(device->Lasterror(), 0);
  device->InstallCallback();
  HID::DeviceMac = device;

  HID::SendCommand(bound, HID::GetQueryDeviceCommand());
  Ref<MemoryBlock> query = HID::ReadCommand(bound, HID::ReadMode::Waiting);
  ASSERT_TRUE(query);
  ASSERT_EQ(query->Size(), 64);
  EXPECT_EQ(query->UInt8Value(0), 0x02);
  EXPECT_EQ(query->UInt8Value(1), 56);  // bytes per packet
  EXPECT_EQ(query->UInt8Value(2), 1);   // family
  EXPECT_EQ(query->UInt8Value(3), 1);   // the program region...
  EXPECT_EQ(query->UInt32Value(4), 0x1000u);
  EXPECT_EQ(query->UInt32Value(8), 0x7000u);

  HID::SendCommand(bound, HID::GetGetDataCommand(0x1000, 56));
  Ref<MemoryBlock> data = HID::ReadCommand(bound, HID::ReadMode::Waiting);
  ASSERT_TRUE(data);
  EXPECT_EQ(data->UInt8Value(0), 0x07);
  EXPECT_EQ(data->UInt32Value(1), 0x1000u);
  EXPECT_EQ(data->UInt8Value(5), 56);
  EXPECT_EQ(data->UInt8Value(63), 0xFF);  // erased memory, right-aligned up to byte 63
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(DebugLines("ReceiveData: ").size(), 2u);
}

}  // namespace
