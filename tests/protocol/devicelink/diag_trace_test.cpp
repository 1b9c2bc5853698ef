// The diagnostic twin of the device link: packets and answers are traced.
#include <string>
#include <vector>

#include "app_folder.h"
#include "devicelink_fixture.h"
#include "framework/exceptions.h"
#include "framework/runloop.h"
#include "protocol/hid.h"

namespace {

using devicelink_test::Block;
using devicelink_test::Ref;
using framework::MemoryBlock;
using hidtest::Bytes;
using Lines = std::vector<std::string>;

class DiagnosticLinkTest : public devicelink_test::DeviceLinkTest {
 protected:
  void SetUp() override {
    DeviceLinkTest::SetUp();
    HID::InitLog("Debug");
    ASSERT_TRUE(HID::logfile);
  }

  hidtest::AppFolder folder;
};

std::vector<uint8_t> Answer(uint8_t code, uint8_t count) {
  std::vector<uint8_t> r(64, 0);
  r[0] = code;
  r[1] = 0x00;
  r[2] = 0x14;  // address &h1400
  r[5] = count;
  for (size_t i = 6; i < r.size(); ++i) r[i] = static_cast<uint8_t>(0xC0 + i);
  return r;
}

TEST_F(DiagnosticLinkTest, SendCommandTracesEachPacketAndSendsItUnchanged) {
  HID::DeviceMac = ConnectedDevice();
  Ref<MemoryBlock> query = HID::GetQueryDeviceCommand();
  HID::SendCommand(bound, query);
  EXPECT_EQ(Output(), Bytes(*query));
  Ref<MemoryBlock> get = HID::GetGetDataCommand(0x1400, 58);
  HID::SendCommand(bound, get);
  EXPECT_EQ(Output(), Bytes(*get));
  EXPECT_EQ(DebugLines("Sending "), (Lines{"Sending QUERY_DEVICE.", "Sending GET_DATA. Address: 1400"}));

  std::string data(58, '\0');
  data[0] = '\x12';
  data[1] = '\xAB';
  Ref<MemoryBlock> program = HID::GetProgramDeviceCommand(bound, 0x800, 2, data);
  HID::SendCommand(bound, program);
  EXPECT_EQ(Output(), Bytes(*program));
  EXPECT_EQ(DebugLines("Sending ").size(), 2u);
  // The hex text is the outside plug-in's.
  EXPECT_EQ(folder.Lines("Debug"), (Lines{"Address: 000800 12AB"}));
  EXPECT_TRUE(messages.empty());
}

TEST_F(DiagnosticLinkTest, TheTraceComesBeforeAnythingElse) {
  EXPECT_THROW(HID::SendCommand(bound, HID::GetEraseDeviceCommand()), framework::NilObjectException);
  EXPECT_EQ(DebugLines("Sending "), (Lines{"Sending ERASE_DEVICE."}));
}

TEST_F(DiagnosticLinkTest, ReadCommandTracesGetDataAnswersOnly) {
  HID::DeviceMac = ConnectedDevice();
  const std::vector<uint8_t> get = Answer(HID::GET_DATA, 3);
  Send(get);
  Send(Answer(HID::QUERY_DEVICE, 3));
  HID::DeviceMac->MyWait();
  ASSERT_TRUE(HID::ReadCommand(bound, HID::ReadMode::Waiting));  // the query answer, the newest
  Ref<MemoryBlock> answer = HID::ReadCommand(bound, HID::ReadMode::Waiting);
  ASSERT_TRUE(answer);
  EXPECT_EQ(Bytes(*answer), get);
  auto clock = std::make_shared<devicelink_test::TickPerReadClock>();
  framework::RunLoop::main().set_clock(clock);
  EXPECT_FALSE(HID::ReadCommand(bound, HID::ReadMode::Immediate));
  EXPECT_EQ(folder.Lines("Debug"), (Lines{"Address: 001400 C6C7C8"}));
}

}  // namespace
