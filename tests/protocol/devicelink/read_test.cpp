#include "devicelink_fixture.h"

#include "framework/runloop.h"
#include "framework/time.h"

namespace {

using devicelink_test::DeviceLinkTest;
using devicelink_test::Ref;
using framework::MemoryBlock;
using hidtest::Bytes;

std::vector<uint8_t> Report(uint8_t first, size_t size = 64) {
  std::vector<uint8_t> r(size, 0);
  r[0] = first;
  return r;
}

TEST_F(DeviceLinkTest, ReportsReachTheQueueOnlyWhenEventsAreDispatched) {
  Ref<HID::MyMacHID> device = ConnectedDevice();
  Send(Report(0x02));
  EXPECT_TRUE(device->datas.empty());
  device->MyWait();
  ASSERT_EQ(device->datas.size(), 1u);
  EXPECT_EQ(Bytes(*device->datas[0]), Report(0x02));
  EXPECT_EQ(DebugLines("ReceiveData: "), (std::vector<std::string>{"ReceiveData: 02" + std::string(126, '0')}));
  EXPECT_TRUE(messages.empty());
}

TEST_F(DeviceLinkTest, TheFrameworksLoopDispatchesThemToo) {
  Ref<HID::MyMacHID> device = ConnectedDevice();
  Send(Report(0x07));
  // Between the update's steps the loop runs; a turn reads the channel, the next dispatches.
  for (int i = 0; i < 3 && device->datas.empty(); ++i) framework::RunLoop::main().turn();
  EXPECT_EQ(device->datas.size(), 1u);
}

TEST_F(DeviceLinkTest, ReadHandsOutTheNewestReportFirst) {
  HID::DeviceMac = ConnectedDevice();
  Send(Report(1));
  Send(Report(2));
  HID::DeviceMac->MyWait();
  Ref<MemoryBlock> a = HID::ReadCommand(bound, HID::ReadMode::Waiting);
  Ref<MemoryBlock> b = HID::ReadCommand(bound, HID::ReadMode::Waiting);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->UInt8Value(0), 2);
  EXPECT_EQ(b->UInt8Value(0), 1);
  EXPECT_TRUE(a->LittleEndian());
  EXPECT_TRUE(HID::DeviceMac->datas.empty());
}

TEST_F(DeviceLinkTest, AWaitingReadTakesAQueuedReportBeforeAnyEventTurn) {
  HID::DeviceMac = ConnectedDevice();
  Send(Report(1));
  HID::DeviceMac->MyWait();
  Send(Report(2));  // in the channel, not yet dispatched
  EXPECT_EQ(HID::ReadCommand(bound, HID::ReadMode::Waiting)->UInt8Value(0), 1);
  EXPECT_EQ(HID::ReadCommand(bound, HID::ReadMode::Waiting)->UInt8Value(0), 2);
}

TEST_F(DeviceLinkTest, AnImmediateReadGivesOneTurnThenNil) {
  HID::DeviceMac = ConnectedDevice();
  auto clock = std::make_shared<devicelink_test::TickPerReadClock>();
  framework::RunLoop::main().set_clock(clock);
  EXPECT_EQ(HID::ReadCommand(bound, HID::ReadMode::Immediate), nullptr);
  EXPECT_LT(clock->readings(), 10);  // no waiting
  Send(Report(3));
  Ref<MemoryBlock> r = HID::ReadCommand(bound, HID::ReadMode::Immediate);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->UInt8Value(0), 3);
}

TEST_F(DeviceLinkTest, AWaitingReadGivesUpAfter120Ticks) {
  HID::DeviceMac = ConnectedDevice();
  auto clock = std::make_shared<devicelink_test::TickPerReadClock>();
  framework::RunLoop::main().set_clock(clock);
  const int64_t start = framework::Ticks();
  EXPECT_EQ(HID::ReadCommand(bound, HID::ReadMode::Waiting), nullptr);
  const int64_t waited = framework::Ticks() - start;
  EXPECT_GE(waited, 120);
  EXPECT_LE(waited, 125) << "and gives up then";
}

TEST_F(DeviceLinkTest, AShortReportIsWarnedAboutAndQueuedAllTheSame) {
  HID::DeviceMac = ConnectedDevice();
  Send(Report(0x07, 63));
  Ref<MemoryBlock> r = HID::ReadCommand(bound, HID::ReadMode::Waiting);
  EXPECT_EQ(messages, (std::vector<std::string>{"Invalid data length received."}));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Size(), 63);
  EXPECT_TRUE(r->LittleEndian());
}

// The event's size is compared with the report as well: a 64-byte report
// that the event calls 63 bytes long is warned about and queued.
TEST_F(DeviceLinkTest, ASizeThatDiffersFromTheReportIsWarnedAbout) {
  HID::DeviceMac = ConnectedDevice();
  HID::DeviceMac->Event_ReceivedData(framework::String(std::string(64, '\x07')), 63);
  EXPECT_EQ(messages, (std::vector<std::string>{"Invalid data length received."}));
  Ref<MemoryBlock> r = HID::ReadCommand(bound, HID::ReadMode::Immediate);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Size(), 64);
}

// A device that sends without pause: the queue keeps the newest 4096 reports,
// drops the oldest, and says so once on the debug log.
TEST_F(DeviceLinkTest, TheQueueKeepsTheNewestReportsUpToItsBound) {
  HID::DeviceMac = ConnectedDevice();
  constexpr std::size_t kKept = 4096;
  constexpr std::size_t kDropped = 100;
  constexpr std::size_t kSent = kKept + kDropped;
  auto number = [](const MemoryBlock& report) {
    return std::size_t(report.UInt8Value(0)) + 128 * report.UInt8Value(1);
  };
  for (std::size_t i = 0; i < kSent; ++i) {
    std::string report(64, '\0');
    report[0] = char(i % 128);
    report[1] = char(i / 128);
    HID::DeviceMac->Event_ReceivedData(framework::String(report), 64);
  }
  const auto& datas = HID::DeviceMac->datas;
  ASSERT_EQ(datas.size(), kKept);
  EXPECT_EQ(number(*datas.front()), kDropped);
  EXPECT_EQ(number(*datas.back()), kSent - 1);
  EXPECT_EQ(DebugLines("ReceiveData: ").size(), kSent);
  EXPECT_EQ(DebugLines("Receive queue full").size(), 1u);
  EXPECT_EQ(number(*HID::ReadCommand(bound, HID::ReadMode::Immediate)), kSent - 1);
  EXPECT_TRUE(messages.empty());
}

TEST_F(DeviceLinkTest, ARemovedDeviceChangesNothingButReadsComeBackEmpty) {
  HID::DeviceMac = ConnectedDevice();
  port_.reset();
  EXPECT_EQ(HID::ReadCommand(bound, HID::ReadMode::Immediate), nullptr);  // the removal is dispatched, nothing queued
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(HID::DeviceMac->datas.empty());
}

}  // namespace
