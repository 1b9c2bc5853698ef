// The bootloader-sim program as other tests and scripts run it.

#include "temp_dir.h"

#include <sim/sim.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

struct Process {
  pid_t pid = -1;
  hidbus::Fd out;
  hidbus::Fd err;
};

Process spawn(const std::vector<std::string>& args, const std::string& dir) {
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return {};
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::setenv("HIDBUS_VIRTUAL_DIR", dir.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(BOOTLOADER_SIM)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(BOOTLOADER_SIM, argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  return {pid, hidbus::Fd(out[0]), hidbus::Fd(err[0])};
}

// One line from fd, waiting at most 10 s.
std::string read_line(int fd) {
  std::string line;
  auto until = Clock::now() + std::chrono::seconds(10);
  while (Clock::now() < until) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char c;
    if (::read(fd, &c, 1) != 1) break;
    if (c == '\n') return line;
    line += c;
  }
  return line;
}

// The exit code, waiting at most 10 s; -1 if it had to be killed.
int wait_exit(pid_t pid) {
  auto until = Clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (Clock::now() < until) {
    if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return -1;
}

class BootloaderSimTest : public testing::Test {
 protected:
  BootloaderSimTest() : dir_((temp_.path() / "virtual").string()) {
    hidbus::BusOptions o;
    o.sysfs_root = (temp_.path() / "sys").string();
    o.virtual_dir = dir_;
    bus_ = std::make_unique<hidbus::Bus>(o);
  }

  Bytes exchange(hidbus::Channel& channel, Bytes packet) {
    packet.resize(64, 0);
    EXPECT_EQ(channel.write_report(0, packet, 5000), hidbus::Status::ok);
    auto reply = channel.read_report(5000);
    EXPECT_EQ(reply.status, hidbus::Status::ok);
    return reply.report.data;
  }

  hidbus_test::TempDir temp_;
  std::string dir_;
  std::unique_ptr<hidbus::Bus> bus_;
};

TEST_F(BootloaderSimTest, ServesUntilTerminatedAndDumpsAtExit) {
  std::string fill = (temp_.path() / "fill.hex").string();
  std::string dump = (temp_.path() / "dump.hex").string();
  hidbus_test::write_file(fill, sim::write_intel_hex({{0x1000, {0xDE, 0xAD}}}));
  Process sim = spawn({"--name", "dev1", "--product", "Test Loader", "--fill", fill, "--dump", dump}, dir_);

  ASSERT_EQ(read_line(sim.out.get()), "ready virtual:dev1");
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

  ::kill(sim.pid, SIGTERM);
  EXPECT_EQ(wait_exit(sim.pid), 0);
  EXPECT_EQ(channel->read_report(5000).status, hidbus::Status::removed);
  EXPECT_TRUE(bus_->enumerate().empty());
  sim::HexImage image = sim::read_intel_hex_file(dump);
  EXPECT_EQ(image.at(0x1000), 0xDE);
  EXPECT_EQ(image.at(0x1002), 0xFF);
  EXPECT_EQ(image.size(), 0x7000u + 14u);
}

TEST_F(BootloaderSimTest, RemovalFaultUnpublishesAndEnds) {
  Process sim = spawn({"--frame-ms", "0", "--fault", "remove-after=1"}, dir_);
  ASSERT_EQ(read_line(sim.out.get()), "ready virtual:bootloader");
  auto channel = bus_->open("virtual:bootloader");
  ASSERT_TRUE(channel);

  EXPECT_EQ(exchange(*channel, {sim::kQueryDevice}).at(0), 0x02);

  EXPECT_EQ(channel->read_report(5000).status, hidbus::Status::removed);
  EXPECT_EQ(wait_exit(sim.pid), 0);
  EXPECT_TRUE(bus_->enumerate().empty());
}

TEST_F(BootloaderSimTest, BadOptionExitsWithAMessage) {
  Process sim = spawn({"--region", "nonsense"}, dir_);
  EXPECT_EQ(wait_exit(sim.pid), 2);
  EXPECT_NE(read_line(sim.err.get()).find("--region"), std::string::npos);
  EXPECT_TRUE(bus_->enumerate().empty());
}

}  // namespace
