#include "devicelink_fixture.h"

#include "framework/exceptions.h"
#include "iokit/hid.h"
#include "protocol/packets.h"

namespace {

using devicelink_test::Block;
using devicelink_test::DeviceLinkTest;
using hidtest::Bytes;

TEST_F(DeviceLinkTest, SendCommandWritesThePacketAsOneOutputReport) {
  HID::DeviceMac = ConnectedDevice();
  framework::Ref<framework::MemoryBlock> packet = HID::GetQueryDeviceCommand();
  HID::SendCommand(bound, packet);
  EXPECT_EQ(Output(), Bytes(*packet));
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(DebugLines("Lasterror after SendMessage ").empty());
  EXPECT_EQ(HID::DeviceMac->TimeOut(), 2222);
}

TEST_F(DeviceLinkTest, APacketOfAnotherSizeIsWarnedAboutAndSentAsItIs) {
  HID::DeviceMac = ConnectedDevice();
  std::vector<uint8_t> short_packet(63, 0x05);
  HID::SendCommand(bound, Block(short_packet));
  EXPECT_EQ(messages, (std::vector<std::string>{"Invalid packet size."}));
  EXPECT_EQ(Output(), short_packet);
}

TEST_F(DeviceLinkTest, AFailedSendOnlyWritesItsCodeToTheDebugLog) {
  HID::DeviceMac = ConnectedDevice();
  port_.reset();  // the device is gone
  HID::SendCommand(bound, HID::GetQueryDeviceCommand());
  EXPECT_EQ(DebugLines("Lasterror after SendMessage "),
            (std::vector<std::string>{"Lasterror after SendMessage " + std::to_string(kIOReturnNoDevice)}));
  EXPECT_LT(kIOReturnNoDevice, 0);  // so the line carries a minus sign
  EXPECT_TRUE(messages.empty());
}

TEST_F(DeviceLinkTest, WithoutADeviceTheCallerGetsNilObjectException) {
  EXPECT_THROW(HID::SendCommand(bound, HID::GetQueryDeviceCommand()), framework::NilObjectException);
  EXPECT_THROW(HID::ReadCommand(bound, HID::ReadMode::Immediate), framework::NilObjectException);
}

}  // namespace
