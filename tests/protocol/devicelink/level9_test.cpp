// The mac device link with the plug-ins registered at interface level 9: the
// plug-in finds each event's handler through the word of the converted copy.
#include "devicelink_fixture.h"

#include "devicelink/mac_hid_members.h"
#include "pluginhost/pluginhost.h"

namespace {

using devicelink_test::DeviceLinkTest;
using devicelink_test::Ref;
using framework::MemoryBlock;
using hidtest::Bytes;

TEST_F(DeviceLinkTest, ReportsAndTheRemovalReachTheirHandlersAtLevel9) {
  const pluginhost::PluginClass* mac = pluginhost::find_plugin_class("MacHIDQVX");
  ASSERT_NE(mac, nullptr);
  ASSERT_EQ(mac->level, 9);

  HID::DeviceMac = ConnectedDevice();
  std::vector<uint8_t> report(64, 0);
  report[0] = 0x02;
  Send(report);
  Ref<MemoryBlock> r = HID::ReadCommand(bound, HID::ReadMode::Waiting);
  ASSERT_TRUE(r) << "ReceivedData reached MyMacHID";
  EXPECT_EQ(Bytes(*r), report);

  // MyMacHID's own removal handler does nothing; one of the test's shows it is raised.
  framework::Ref<framework::Object> other = pluginhost::new_instance("MacHIDQVX");
  ASSERT_TRUE(other);
  std::vector<int32_t> removed;
  pluginhost::connect_event<void(int32_t)>(other.get(), "DeviceRemoved",
                                           [&](int32_t result) { removed.push_back(result); });
  ASSERT_TRUE(Members()->FindFirstDevice(other));
  Members()->Connect(other);
  ASSERT_EQ(Members()->Lasterror.get(other), 0);
  port_.reset();  // the device goes away
  for (int i = 0; i < 3 && removed.empty(); ++i) HID::DeviceMac->MyWait();
  EXPECT_EQ(removed, std::vector<int32_t>{0});
  pluginhost::disconnect_events(other.get());
}

}  // namespace
