// The device link of the win device path over the loaded WinHIDQVX plug-in and
// a device attached to a bus of the test's own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "devicelink/win_device_link.h"
#include "bus_folder.h"
#include "debug_log_capture.h"
#include "default_device.h"
#include "hidbus/hidbus.h"
#include "module_fixture.h"
#include "pluginhost/pluginhost.h"
#include "win32/system.h"

namespace {

using framework::MemoryBlock;
using framework::Ref;
using hidtest::Bytes;
using Clock = std::chrono::steady_clock;

std::vector<uint8_t> Report(uint8_t first, size_t size = 64) {
  std::vector<uint8_t> r(size, 0);
  r[0] = first;
  return r;
}

Ref<MemoryBlock> Block(const std::vector<uint8_t>& bytes) {
  Ref<MemoryBlock> block = framework::NewMemoryBlock(static_cast<int64_t>(bytes.size()));
  for (size_t i = 0; i < bytes.size(); ++i) block->set_UInt8Value(static_cast<int64_t>(i), bytes[i]);
  return block;
}

class WinDeviceLinkTest : public hidtest::ModuleTest {
 protected:
  static void SetUpTestSuite() {
    static const bool bound = [] {
      // The outside plug-ins' folder also holds the mac build's stub of
      // WinHIDQVX: the working one is loaded after it, and the latest wins.
      pluginhost::load_plugins(OUTSIDE_DIR);
      pluginhost::load_plugins(WINHID_DIR);
      static pluginhost::Binder* binder = new pluginhost::Binder;  // its entries live for the process
      members_ = HID::InstallWinDeviceLink(*binder);
      const std::vector<std::string> unresolved = binder->bind();
      for (const auto& label : unresolved) ADD_FAILURE() << "unresolved: " << label;
      return unresolved.empty();
    }();
    ASSERT_TRUE(bound);
  }

  void SetUp() override {
    ModuleTest::SetUp();
    debug_log_.clear();
    bus_ = std::make_unique<hidbus::Bus>(folder_.options());
    win32::set_bus(bus_.get());

    hidbus::AttachedDevice attached = bus_->attach(testsupport::BootloaderInfo());
    path_ = attached.path;
    port_ = std::make_unique<hidbus::DevicePort>(std::move(attached.device_fd), false);
    HID::DeviceWin = pluginhost::new_instance("WinHIDQVX");
    ASSERT_TRUE(HID::DeviceWin);
    ASSERT_TRUE(members_->FindFirstDevice(HID::DeviceWin));
    ASSERT_TRUE(members_->Connect(HID::DeviceWin));
  }

  void TearDown() override {
    ModuleTest::TearDown();  // releases DeviceWin
    win32::set_bus(nullptr);
    port_.reset();
    bus_.reset();
  }

  // Sends the report `after` the call has begun, from another thread.
  Ref<MemoryBlock> ReadWithReportAfter(HID::ReadMode mode, std::chrono::milliseconds after,
                                       const std::vector<uint8_t>& report) {
    std::thread later([&] {
      std::this_thread::sleep_for(after);
      port_->send_input(0, report, 1000);
    });
    Ref<MemoryBlock> r = HID::ReadCommand(*members_, bound, mode);
    later.join();
    return r;
  }

  testsupport::BusFolder folder_;
  std::unique_ptr<hidbus::Bus> bus_;
  std::unique_ptr<hidbus::DevicePort> port_;
  std::string path_;
  testsupport::DebugLogCapture debug_log_;
  // The WinHIDQVX members, bound once per process.
  static inline std::shared_ptr<const HID::WinHIDQVXMembers> members_;
};

// One report of 64 bytes, waited for up to a second; an immediate read waits
// the same.
TEST_F(WinDeviceLinkTest, ReadCommandWaitsUpToASecondForA64ByteReport) {
  for (HID::ReadMode mode : {HID::ReadMode::Waiting, HID::ReadMode::Immediate}) {
    Ref<MemoryBlock> r = ReadWithReportAfter(mode, std::chrono::milliseconds(400), Report(0x07));
    ASSERT_TRUE(r) << "immediate " << (mode == HID::ReadMode::Immediate);
    EXPECT_EQ(Bytes(*r), Report(0x07));
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(WinDeviceLinkTest, ReadCommandGivesNilAfterASecondWithoutAReport) {
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(HID::ReadCommand(*members_, bound, HID::ReadMode::Waiting), nullptr);
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(900));
  EXPECT_LT(waited, std::chrono::seconds(3));
  // The read given up loses nothing that comes later.
  ASSERT_EQ(port_->send_input(0, Report(0x02), 1000), hidbus::Status::ok);
  Ref<MemoryBlock> r = HID::ReadCommand(*members_, bound, HID::ReadMode::Waiting);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->UInt8Value(0), 0x02);
}

TEST_F(WinDeviceLinkTest, APacketOfAnotherSizeIsWarnedAboutAndSentAsItIs) {
  HID::SendCommand(*members_, bound, Block(Report(0x02, 63)));
  EXPECT_EQ(messages, (std::vector<std::string>{"Invalid packet size."}));
  hidbus::ReadResult out = port_->read_output(1000);
  ASSERT_EQ(out.status, hidbus::Status::ok);
  EXPECT_EQ(out.report.data, Report(0x02, 63));
}

// A failed send says nothing, not even in the debug log: Lasterror is not
// looked at on this path.
TEST_F(WinDeviceLinkTest, AFailedSendIsNotLookedAt) {
  bus_->detach(path_);
  HID::SendCommand(*members_, bound, Block(Report(0x02)));
  EXPECT_NE(members_->Lasterror.get(HID::DeviceWin), 0) << "the send did fail";
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(debug_log_.lines().empty());
}

}  // namespace
