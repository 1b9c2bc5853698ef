#include "bus_folder.h"
#include "scratch_dir.h"

#include <hidbus/hidbus.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace {

namespace fs = std::filesystem;

class VirtualTest : public testing::Test {
 protected:
  VirtualTest() : dir_(folder_.virtual_dir()) { bus_ = std::make_unique<hidbus::Bus>(folder_.options()); }

  static hidbus::DeviceInfo bootloader() {
    hidbus::DeviceInfo info;
    info.vendor_id = 0x04D8;
    info.product_id = 0x003C;
    info.version = 0x0100;
    info.manufacturer = "Simulated Devices";
    info.product = "HID Bootloader\nsecond line";
    info.serial_number = "SIM\\1";
    info.max_input_report = 64;
    info.max_output_report = 64;
    info.usage_page = 0xFF00;
    info.usage = 1;
    return info;
  }

  testsupport::BusFolder folder_;
  std::string dir_;
  std::unique_ptr<hidbus::Bus> bus_;
};

TEST_F(VirtualTest, PublishedDeviceIsListedWithItsInfo) {
  hidbus::VirtualDevice device("boot", bootloader(), dir_);

  auto devices = bus_->enumerate();

  ASSERT_EQ(devices.size(), 1u);
  hidbus::DeviceInfo expected = bootloader();
  const auto& got = devices[0];
  EXPECT_EQ(got.path, "virtual:boot");
  EXPECT_EQ(device.info().path, "virtual:boot");
  EXPECT_EQ(got.vendor_id, expected.vendor_id);
  EXPECT_EQ(got.product_id, expected.product_id);
  EXPECT_EQ(got.version, expected.version);
  EXPECT_EQ(got.manufacturer, expected.manufacturer);
  EXPECT_EQ(got.product, expected.product);
  EXPECT_EQ(got.serial_number, expected.serial_number);
  EXPECT_EQ(got.max_input_report, 64u);
  EXPECT_EQ(got.max_output_report, 64u);
  EXPECT_EQ(got.usage_page, 0xFF00);
  EXPECT_EQ(got.usage, 1);
}

TEST_F(VirtualTest, HostConnectsExchangesAndSeesTheRemoval) {
  auto device = std::make_unique<hidbus::VirtualDevice>("boot", bootloader(), dir_);
  auto channel = bus_->open("virtual:boot");
  ASSERT_TRUE(channel);
  hidbus::DevicePort* port = device->accept();
  ASSERT_NE(port, nullptr);

  std::vector<uint8_t> command(64, 0);
  command[0] = 0x02;
  ASSERT_EQ(channel->write_report(0, command, 100), hidbus::Status::ok);
  auto out = port->read_output(100);
  ASSERT_EQ(out.status, hidbus::Status::ok);
  EXPECT_EQ(out.report.data, command);
  std::vector<uint8_t> reply(64, 0x02);
  ASSERT_EQ(port->send_input(0, reply, 100), hidbus::Status::ok);
  EXPECT_EQ(channel->read_report(100).report.data, reply);

  device.reset();

  EXPECT_EQ(channel->read_report(100).status, hidbus::Status::removed);
  EXPECT_TRUE(bus_->enumerate().empty());
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(VirtualTest, HostLeavingIsSeenByTheDevice) {
  hidbus::VirtualDevice device("boot", bootloader(), dir_);
  auto channel = bus_->open("virtual:boot");
  ASSERT_TRUE(channel);
  hidbus::DevicePort* port = device.accept();
  ASSERT_NE(port, nullptr);

  channel.reset();

  EXPECT_EQ(port->read_output(100).status, hidbus::Status::removed);
  // The device stays listed and takes the next host.
  EXPECT_EQ(bus_->enumerate().size(), 1u);
  auto again = bus_->open("virtual:boot");
  ASSERT_TRUE(again);
  EXPECT_NE(device.accept(), nullptr);
}

TEST_F(VirtualTest, SecondHostIsTurnedAwayWhileOneIsServed) {
  hidbus::VirtualDevice device("boot", bootloader(), dir_);
  auto first = bus_->open("virtual:boot");
  ASSERT_NE(device.accept(), nullptr);

  auto second = bus_->open("virtual:boot");
  ASSERT_TRUE(second);
  EXPECT_EQ(device.accept(), nullptr);

  EXPECT_EQ(second->read_report(100).status, hidbus::Status::removed);
  EXPECT_EQ(first->read_report(0).status, hidbus::Status::timeout);
}

TEST_F(VirtualTest, StaleEntryIsSkippedAndCleaned) {
  // What a server that died leaves: files that nobody holds, in the user's
  // own folder.
  fs::create_directory(dir_);
  fs::permissions(dir_, fs::perms::owner_all);
  testsupport::WriteText(fs::path(dir_) / "gone.info", "vendor_id=04d8\nproduct_id=003c\n");
  testsupport::WriteText(fs::path(dir_) / "gone.sock", "");
  std::vector<std::string> lines;
  hidbus::set_log_sink([&](const std::string& line) { lines.push_back(line); });

  auto devices = bus_->enumerate();
  hidbus::set_log_sink({});

  EXPECT_TRUE(devices.empty());
  EXPECT_FALSE(fs::exists(fs::path(dir_) / "gone.info"));
  EXPECT_FALSE(fs::exists(fs::path(dir_) / "gone.sock"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("gone"), std::string::npos);
  // The name is free again.
  EXPECT_NO_THROW(hidbus::VirtualDevice("gone", bootloader(), dir_));
}

TEST_F(VirtualTest, NameOfALiveDeviceCannotBeTaken) {
  hidbus::VirtualDevice device("boot", bootloader(), dir_);
  try {
    hidbus::VirtualDevice twin("boot", bootloader(), dir_);
    FAIL() << "a second device took the name";
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code().value(), EADDRINUSE);
  }
  EXPECT_EQ(bus_->enumerate().size(), 1u);
}

TEST_F(VirtualTest, BadNamesAreRejected) {
  for (const std::string& name :
       std::vector<std::string>{"", ".hidden", "a/b", "a\nb", std::string(78, 'x'), std::string(200, 'x')}) {
    EXPECT_THROW(hidbus::VirtualDevice(name, bootloader(), dir_), std::invalid_argument) << name;
  }
}

TEST_F(VirtualTest, UnpublishedDeviceCannotBeOpened) {
  { hidbus::VirtualDevice device("boot", bootloader(), dir_); }
  int error = 0;
  EXPECT_FALSE(bus_->open("virtual:boot", &error));
  EXPECT_EQ(error, ENOENT);
}

}  // namespace
