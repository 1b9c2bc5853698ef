// The shipped device link traces nothing, even with a log file open; the
// "ReceiveData: " line is written all the same.
#include <string>
#include <vector>

#include "app_folder.h"
#include "devicelink_fixture.h"
#include "framework/folderitem.h"
#include "protocol/hid.h"

namespace {

using devicelink_test::DeviceLinkTest;

TEST_F(DeviceLinkTest, TheShippedLinkTracesNoPacket) {
  hidtest::AppFolder folder;
  HID::InitLog("Debug");
  EXPECT_FALSE(HID::logfile);
  HID::logfile = framework::GetFolderItem("Debug")->CreateTextFile();
  ASSERT_TRUE(HID::logfile);

  HID::DeviceMac = ConnectedDevice();
  HID::SendCommand(bound, HID::GetQueryDeviceCommand());
  HID::SendCommand(bound, HID::GetProgramDeviceCommand(bound, 0x800, 58, std::string(58, '\x11')));
  std::vector<uint8_t> answer(64, 0x22);
  answer[0] = HID::GET_DATA;
  answer[5] = 58;
  Send(answer);
  HID::DeviceMac->MyWait();
  ASSERT_TRUE(HID::ReadCommand(bound, HID::ReadMode::Waiting));
  ASSERT_TRUE(HID::ParseMemoryRegions(bound, *hidtest::QueryReply(56, 1, {{1, 0x1000, 3}})));

  EXPECT_TRUE(DebugLines("Sending ").empty());
  EXPECT_TRUE(DebugLines("1 MemoryRegions").empty());
  EXPECT_EQ(DebugLines("ReceiveData: ").size(), 1u);
  EXPECT_TRUE(folder.Lines("Debug").empty());
}

}  // namespace
