#include "bus_folder.h"

#include <hidbus/hidbus.h>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

class InprocTest : public testing::Test {
 protected:
  InprocTest() { bus_ = std::make_unique<hidbus::Bus>(folder_.options()); }

  static hidbus::DeviceInfo bootloader() {
    hidbus::DeviceInfo info;
    info.vendor_id = 0x04D8;
    info.product_id = 0x003C;
    info.product = "HID Bootloader";
    info.max_input_report = 64;
    info.max_output_report = 64;
    return info;
  }

  testsupport::BusFolder folder_;
  std::unique_ptr<hidbus::Bus> bus_;
};

TEST_F(InprocTest, AttachedDeviceIsListedAndExchangesReports) {
  auto device = bus_->attach(bootloader());
  ASSERT_TRUE(device.device_fd);

  auto devices = bus_->enumerate();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].path, device.path);
  EXPECT_EQ(devices[0].vendor_id, 0x04D8);
  EXPECT_EQ(devices[0].product, "HID Bootloader");

  auto channel = bus_->open(device.path);
  ASSERT_TRUE(channel);
  hidbus::DevicePort port(std::move(device.device_fd), false);
  std::vector<uint8_t> command(64, 0x07);
  ASSERT_EQ(channel->write_report(0, command, 100), hidbus::Status::ok);
  auto out = port.read_output(100);
  ASSERT_EQ(out.status, hidbus::Status::ok);
  EXPECT_EQ(out.report.report_id, 0);
  EXPECT_EQ(out.report.data, command);

  std::vector<uint8_t> reply(64, 0x42);
  ASSERT_EQ(port.send_input(0, reply, 100), hidbus::Status::ok);
  auto in = channel->read_report(100);
  ASSERT_EQ(in.status, hidbus::Status::ok);
  EXPECT_EQ(in.report.data, reply);
}

TEST_F(InprocTest, DetachIsARemovalForTheHost) {
  auto device = bus_->attach(bootloader());
  auto channel = bus_->open(device.path);
  ASSERT_TRUE(channel);

  EXPECT_TRUE(bus_->detach(device.path));

  EXPECT_EQ(channel->read_report(100).status, hidbus::Status::removed);
  EXPECT_TRUE(bus_->enumerate().empty());
  int error = 0;
  EXPECT_FALSE(bus_->open(device.path, &error));
  EXPECT_EQ(error, ENOENT);
  EXPECT_FALSE(bus_->detach(device.path));
}

TEST_F(InprocTest, ClosedDeviceEndLeavesTheBus) {
  auto device = bus_->attach(bootloader());
  auto channel = bus_->open(device.path);
  ASSERT_TRUE(channel);

  device.device_fd.reset();

  EXPECT_EQ(channel->read_report(100).status, hidbus::Status::removed);
  EXPECT_TRUE(bus_->enumerate().empty());
}

// The device end still hands out what a host sent before it went, even after
// an answer that could no longer be sent.
TEST_F(InprocTest, DeviceTakesWhatTheHostSentBeforeItWent) {
  auto device = bus_->attach(bootloader());
  hidbus::DevicePort port(std::move(device.device_fd), false);
  {
    auto channel = bus_->open(device.path);
    ASSERT_TRUE(channel);
    for (uint8_t i = 1; i <= 2; ++i)
      ASSERT_EQ(channel->write_report(0, std::vector<uint8_t>(64, i), 100), hidbus::Status::ok);
  }
  ASSERT_TRUE(bus_->detach(device.path));

  EXPECT_EQ(port.send_input(0, std::vector<uint8_t>(64, 0x42), 100), hidbus::Status::removed);
  for (uint8_t i = 1; i <= 2; ++i) {
    auto out = port.read_output(100);
    ASSERT_EQ(out.status, hidbus::Status::ok);
    EXPECT_EQ(out.report.data, std::vector<uint8_t>(64, i));
  }
  EXPECT_EQ(port.read_output(100).status, hidbus::Status::removed);
  EXPECT_TRUE(port.removed());
}

TEST_F(InprocTest, EachDeviceHasItsOwnPath) {
  auto a = bus_->attach(bootloader());
  auto b = bus_->attach(bootloader());
  EXPECT_NE(a.path, b.path);
  EXPECT_EQ(bus_->enumerate().size(), 2u);
}

}  // namespace
