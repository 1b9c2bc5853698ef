// The bootloader-sim program as other tests and scripts run it.

#include <sim/sim.h>

#include <gtest/gtest.h>

#include <chrono>

#include "process_run.h"
#include "bus_folder.h"
#include "scratch_dir.h"
#include "sim_process.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The program's command line with `args`.
std::vector<std::string> Command(std::vector<std::string> args) {
  args.insert(args.begin(), BOOTLOADER_SIM);
  return args;
}
// The environment that has it serve in the virtual device folder `dir`.
testsupport::Environment In(const std::string& dir) { return {{"HIDBUS_VIRTUAL_DIR", dir}}; }

constexpr std::chrono::seconds kLimit{10};

class BootloaderSimTest : public testing::Test {
 protected:
  BootloaderSimTest() : dir_(folder_.virtual_dir()) { bus_ = std::make_unique<hidbus::Bus>(folder_.options()); }

  Bytes exchange(hidbus::Channel& channel, Bytes packet) {
    packet.resize(64, 0);
    EXPECT_EQ(channel.write_report(0, packet, 5000), hidbus::Status::ok);
    auto reply = channel.read_report(5000);
    EXPECT_EQ(reply.status, hidbus::Status::ok);
    return reply.report.data;
  }

  testsupport::BusFolder folder_;
  std::string dir_;
  std::unique_ptr<hidbus::Bus> bus_;
};

TEST_F(BootloaderSimTest, ServesUntilTerminatedAndDumpsAtExit) {
  std::string fill = (folder_.path() / "fill.hex").string();
  std::string dump = (folder_.path() / "dump.hex").string();
  testsupport::WriteText(fill, sim::write_intel_hex({{0x1000, {0xDE, 0xAD}}}));
  testsupport::SimProcess sim(
      BOOTLOADER_SIM, {"--name", "dev1", "--product", "Test Loader", "--fill", fill, "--dump", dump}, In(dir_), kLimit);

  ASSERT_EQ(sim.ready_line(), "ready virtual:dev1");
  auto devices = bus_->enumerate();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].path, "virtual:dev1");
  EXPECT_EQ(devices[0].vendor_id, 0x04D8);
  EXPECT_EQ(devices[0].product, "Test Loader");

  auto channel = bus_->open("virtual:dev1");
  ASSERT_TRUE(channel);
  EXPECT_EQ(exchange(*channel, {sim::kQueryDevice}).at(2), 1);
  Bytes data = exchange(*channel, {sim::kGetData, 0x00, 0x10, 0x00, 0x00, 2});
  ASSERT_EQ(data.size(), 64u);
  EXPECT_EQ(data[62], 0xDE);
  EXPECT_EQ(data[63], 0xAD);

  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_EQ(channel->read_report(5000).status, hidbus::Status::removed);
  EXPECT_TRUE(bus_->enumerate().empty());
  sim::HexImage image = sim::read_intel_hex_file(dump);
  EXPECT_EQ(image.at(0x1000), 0xDE);
  EXPECT_EQ(image.at(0x1002), 0xFF);
  EXPECT_EQ(image.size(), 0x7000u + 14u);
}

TEST_F(BootloaderSimTest, RemovalFaultUnpublishesAndEnds) {
  testsupport::SimProcess sim(BOOTLOADER_SIM, {"--frame-ms", "0", "--fault", "remove-after=1"}, In(dir_), kLimit);
  ASSERT_EQ(sim.ready_line(), "ready virtual:bootloader");
  auto channel = bus_->open("virtual:bootloader");
  ASSERT_TRUE(channel);

  EXPECT_EQ(exchange(*channel, {sim::kQueryDevice}).at(0), 0x02);

  EXPECT_EQ(channel->read_report(5000).status, hidbus::Status::removed);
  EXPECT_EQ(sim.Wait(kLimit), 0);
  EXPECT_TRUE(bus_->enumerate().empty());
}

// A host that closes right after sending is served to its last packet, and a
// host that connects meanwhile waits its turn instead of being turned away.
TEST_F(BootloaderSimTest, HostClosingAtOnceIsServedBeforeTheNext) {
  std::string dump = (folder_.path() / "dump.hex").string();
  testsupport::SimProcess sim(BOOTLOADER_SIM, {"--frame-ms", "1", "--dump", dump}, In(dir_), kLimit);
  ASSERT_EQ(sim.ready_line(), "ready virtual:bootloader");
  {
    auto first = bus_->open("virtual:bootloader");
    ASSERT_TRUE(first);
    for (int i = 0; i < 20; ++i) {
      Bytes program(64, static_cast<uint8_t>(0xA0 + i));
      program[0] = sim::kProgramDevice;
      program[1] = static_cast<uint8_t>(i * 56);
      program[2] = static_cast<uint8_t>(0x10 + (i * 56 >> 8));
      program[3] = program[4] = 0;
      program[5] = 56;
      ASSERT_EQ(first->write_report(0, program, 5000), hidbus::Status::ok);
    }
    Bytes complete(64, 0);
    complete[0] = sim::kProgramComplete;
    ASSERT_EQ(first->write_report(0, complete, 5000), hidbus::Status::ok);
  }
  auto second = bus_->open("virtual:bootloader");
  ASSERT_TRUE(second);
  EXPECT_EQ(exchange(*second, {sim::kQueryDevice}).at(0), sim::kQueryDevice);

  EXPECT_EQ(sim.Stop(), 0);
  sim::HexImage image = sim::read_intel_hex_file(dump);
  for (uint32_t a = 0; a < 20 * 56; ++a) ASSERT_EQ(image.at(0x1000 + a), 0xA0 + a / 56) << "address " << 0x1000 + a;
}

TEST_F(BootloaderSimTest, BadOptionExitsWithAMessage) {
  const testsupport::Outcome sim = testsupport::Run(Command({"--region", "nonsense"}), In(dir_), kLimit);
  EXPECT_EQ(sim.exit_code, 2);
  EXPECT_NE(sim.err.substr(0, sim.err.find('\n')).find("--region"), std::string::npos);
  EXPECT_TRUE(bus_->enumerate().empty());
}

// A folder that others may write into is no place for the device: a socket
// put beside it could stand in for it.
TEST_F(BootloaderSimTest, FolderOthersMayWriteIntoIsRefusedWithAMessage) {
  std::filesystem::create_directory(dir_);
  std::filesystem::permissions(dir_, std::filesystem::perms::all);
  const testsupport::Outcome sim = testsupport::Run(Command({}), In(dir_), kLimit);
  EXPECT_EQ(sim.exit_code, 1);
  EXPECT_EQ(sim.out, "");
  EXPECT_EQ(sim.err.substr(0, sim.err.find(": Permission denied")),
            "bootloader-sim: will not serve in the virtual device folder " + dir_ + ": writable by others (mode 0777)");
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

}  // namespace
