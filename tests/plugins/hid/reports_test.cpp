#include "plugin_host.h"
#include "default_device.h"
#include "iokit_bus.h"

#include "iokit/hid.h"
#include "iokit/main_run_loop.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using machid_test::Device;
using machid_test::PluginTest;
using testsupport::IOKitBus;

// A connected MacHIDQVX with its callback installed, and the device's end.
class ReportsTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    auto attached = bus_.bus().attach(testsupport::BootloaderInfo());
    path_ = attached.path;
    port_ = std::make_unique<hidbus::DevicePort>(std::move(attached.device_fd), false);
  }

  void Connect(Device& device) {
    ASSERT_TRUE(device.FindFirstDevice());
    device.Call(machid_test::kConnect);
    ASSERT_EQ(device.Lasterror(), 0);
    device.Call(machid_test::kInstallCallback);
    ASSERT_EQ(device.Lasterror(), 0);
  }

  void Send(const std::vector<uint8_t>& report) { ASSERT_EQ(port_->send_input(0, report, 100), hidbus::Status::ok); }

  std::vector<uint8_t> Output() {
    hidbus::ReadResult r = port_->read_output(100);
    EXPECT_EQ(r.status, hidbus::Status::ok);
    return r.report.data;
  }

  bool NothingSent() { return port_->read_output(0).status == hidbus::Status::timeout; }

  static REALmemoryBlock Block(const std::vector<uint8_t>& bytes) {
    auto block = reinterpret_cast<REALmemoryBlock>(new fakehost::Block);
    fakehost::AsBlock(block)->bytes = bytes;
    ++host().live_blocks;
    return block;
  }

  IOKitBus bus_;
  std::string path_;
  std::unique_ptr<hidbus::DevicePort> port_;
};

TEST_F(ReportsTest, ReportsBecomeReceivedDataOnlyWhenEventsAreDispatched) {
  Device device;
  Connect(device);
  std::vector<uint8_t> ascii(64, 0x41);
  std::vector<uint8_t> binary(64, 0x00);
  binary[10] = 0xE9;
  Send(ascii);
  Send(binary);
  Send({});
  EXPECT_TRUE(device.received.empty());
  PluginTest::Pump();                     // the source reads the channel, the events wait behind it...
  ASSERT_EQ(device.received.size(), 3u);  // ...and are dispatched in the same turn
  EXPECT_EQ(device.received[0].data, std::string(64, 'A'));
  EXPECT_EQ(device.received[0].encoding, REALEncodingASCII);
  EXPECT_EQ(device.received[0].size, 64);
  EXPECT_EQ(device.received[0].locks, 2);  // the handler runs with a reference added
  EXPECT_EQ(device.received[1].data, std::string(binary.begin(), binary.end()));
  EXPECT_EQ(device.received[1].encoding, REALEncodingUnknown);
  EXPECT_EQ(device.received[2].data, std::nullopt);  // an empty report
  EXPECT_EQ(device.received[2].size, 0);
}

TEST_F(ReportsTest, NothingArrivesWithoutInstallCallback) {
  Device device;
  ASSERT_TRUE(device.FindFirstDevice());
  device.Call(machid_test::kInstallCallback);  // before Connect: no interface yet
  EXPECT_EQ(device.Lasterror(), -1);
  device.Call(machid_test::kConnect);
  Send(std::vector<uint8_t>(64, 1));
  PluginTest::Pump();
  EXPECT_TRUE(device.received.empty());
}

TEST_F(ReportsTest, AClassWithoutHandlersHasItsReportsConsumed) {
  Device device(/*handles_events=*/false);
  Connect(device);
  Send(std::vector<uint8_t>(64, 1));
  PluginTest::Pump();
  EXPECT_TRUE(device.received.empty());  // and the report copy is freed (no leak)
}

TEST_F(ReportsTest, ASecondConnectReplacesTheFirst) {
  Device device;
  Connect(device);
  device.Call(machid_test::kConnect);
  ASSERT_EQ(device.Lasterror(), 0);
  device.Call(machid_test::kInstallCallback);
  Send(std::vector<uint8_t>(64, 2));
  PluginTest::Pump();
  EXPECT_EQ(device.received.size(), 1u);
}

TEST_F(ReportsTest, SendMessageMemoryWritesOneOutputReport) {
  Device device;
  Connect(device);
  std::vector<uint8_t> packet(64, 0);
  packet[0] = 0x02;
  REALmemoryBlock block = Block(packet);
  device.SendMessageMemory(block, 0, 64);
  EXPECT_EQ(device.Lasterror(), 0);
  EXPECT_EQ(Output(), packet);

  device.SendMessageMemory(block, 1, 64);  // one byte past the end
  EXPECT_EQ(device.Lasterror(), kIOReturnBadArgument);
  device.SendMessageMemory(block, -1, 4);
  EXPECT_EQ(device.Lasterror(), kIOReturnBadArgument);
  EXPECT_TRUE(NothingSent());
  fakehost::Unlock(block);
}

// What the host says of a block's size decides whether the range is checked:
// an empty block keeps a buffer of one byte, which a 64-byte send runs past.
struct BlockSizeCase {
  const char* name;
  std::optional<int32_t> reported_size;
  size_t buffer;
  bool sent;
};
void PrintTo(const BlockSizeCase& c, std::ostream* os) { *os << c.name; }
class SendBlockSizeTest : public ReportsTest, public testing::WithParamInterface<BlockSizeCase> {};

TEST_P(SendBlockSizeTest, SendsOnlyARangeInsideTheBlockOrOfUnknownSize) {
  Device device;
  Connect(device);
  REALmemoryBlock block = Block(std::vector<uint8_t>(GetParam().buffer, 0x02));
  fakehost::AsBlock(block)->reported_size = GetParam().reported_size;
  device.SendMessageMemory(block, 0, 64);
  if (GetParam().sent) {
    EXPECT_EQ(device.Lasterror(), 0);
    EXPECT_EQ(Output(), std::vector<uint8_t>(64, 0x02));
  } else {
    EXPECT_EQ(device.Lasterror(), kIOReturnBadArgument);
    EXPECT_TRUE(NothingSent());
  }
  fakehost::Unlock(block);
}

INSTANTIATE_TEST_SUITE_P(Blocks, SendBlockSizeTest,
                         testing::Values(BlockSizeCase{"Empty", 0, 1, false},
                                         BlockSizeCase{"UnknownSize", -1, 64, true},
                                         BlockSizeCase{"OtherNegativeSize", -2, 64, false}),
                         [](const testing::TestParamInfo<BlockSizeCase>& info) { return info.param.name; });

TEST_F(ReportsTest, SendMessageMemoryWithNilRaisesAndLeavesLasterror) {
  Device device;
  device.Lasterror() = 55;
  device.SendMessageMemory(nullptr, 0, 64);
  EXPECT_EQ(device.Lasterror(), 55);
  EXPECT_EQ(RaisedExceptions(), (std::vector<std::string>{"NilObjectException: Memoryblock is nil"}));
}

TEST_F(ReportsTest, SendMessageWritesTheStringsBytes) {
  Device device;
  Connect(device);
  device.SendMessage(std::string("\x07\x00\x10\x00\x00\x38", 6));
  EXPECT_EQ(device.Lasterror(), 0);
  EXPECT_EQ(Output(), (std::vector<uint8_t>{0x07, 0x00, 0x10, 0x00, 0x00, 0x38}));
}

TEST_F(ReportsTest, ReadMessageTakesTheNextReportOrTimesOut) {
  Device device;
  Connect(device);
  Send({0x02, 0x38, 0x01});
  EXPECT_EQ(device.ReadMessage(64), std::string("\x02\x38\x01"));
  EXPECT_EQ(device.Lasterror(), 0);
  Send({0x80, 0x81});
  EXPECT_EQ(device.ReadMessageMemory(64), std::string("\x80\x81"));
  device.TimeOut() = 1;
  EXPECT_EQ(device.ReadMessage(64), std::nullopt);
  EXPECT_EQ(device.Lasterror(), kIOReturnTimeout);
}

TEST_F(ReportsTest, ARemovalRaisesDeviceRemovedAndTearsNothingDown) {
  Device device;
  Connect(device);
  port_.reset();  // the device goes away
  EXPECT_TRUE(device.removed.empty());
  PluginTest::Pump();
  EXPECT_EQ(device.removed, (std::vector<int32_t>{kIOReturnSuccess}));
  device.SendMessage(std::string(64, '\0'));  // still connected as far as the object knows
  EXPECT_EQ(device.Lasterror(), kIOReturnNoDevice);
}

// Close ends the connection, not the object: what was posted for it still
// reaches its handler.
TEST_F(ReportsTest, CloseKeepsTheReportsAlreadyPosted) {
  iokit::builtin_run_loop().run_one_turn();  // nothing of earlier tests left to run
  Device device;
  Connect(device);
  Send(std::vector<uint8_t>(64, 5));
  iokit::builtin_run_loop().run_one_turn();  // read and posted; dispatched only next turn
  device.Call(machid_test::kClose);
  PluginTest::Pump();
  ASSERT_EQ(device.received.size(), 1u);
  EXPECT_EQ(device.received[0].data, std::string(64, '\x05'));
}

TEST_F(ReportsTest, EventsWaitingForAnObjectThatEndsAreDropped) {
  iokit::builtin_run_loop().run_one_turn();  // nothing of earlier tests left to run
  {
    Device device;
    Connect(device);
    Send(std::vector<uint8_t>(64, 3));
    iokit::builtin_run_loop().run_one_turn();  // read and posted; dispatched only next turn
    EXPECT_TRUE(device.received.empty());
  }
  const int before = machid_test::EventsForUnknownObjects();
  PluginTest::Pump();
  EXPECT_EQ(machid_test::EventsForUnknownObjects(), before);  // nothing asked for the ended object
}

}  // namespace
