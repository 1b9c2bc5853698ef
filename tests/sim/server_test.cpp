#include "bus_folder.h"

#include <sim/sim.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <ostream>
#include <string>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

Bytes command(uint8_t code, uint32_t address = 0, uint8_t count = 0) {
  Bytes p(64, 0);
  p[0] = code;
  for (int i = 0; i < 4; ++i) p[1 + i] = static_cast<uint8_t>(address >> (8 * i));
  p[5] = count;
  return p;
}

class InProcessDeviceTest : public testing::Test {
 protected:
  InProcessDeviceTest() { bus_ = std::make_unique<hidbus::Bus>(folder_.options()); }

  static sim::Config fast(std::vector<std::string> args = {}) {
    args.insert(args.begin(), {"--frame-ms", "0", "--erase-ms", "0"});
    return sim::parse_args(args).config;
  }

  std::unique_ptr<hidbus::Channel> connect(const sim::InProcessDevice& device) {
    auto channel = bus_->open(device.path());
    EXPECT_TRUE(channel);
    return channel;
  }

  // Generous bounds: they only keep a broken device from hanging the test.
  static Bytes exchange(hidbus::Channel& channel, const Bytes& packet) {
    EXPECT_EQ(channel.write_report(0, packet, 5000), hidbus::Status::ok);
    auto reply = channel.read_report(5000);
    EXPECT_EQ(reply.status, hidbus::Status::ok);
    return reply.report.data;
  }

  testsupport::BusFolder folder_;
  std::unique_ptr<hidbus::Bus> bus_;
};

TEST_F(InProcessDeviceTest, IsListedAndAnswersOverTheBus) {
  sim::InProcessDevice device(fast(), *bus_);
  auto devices = bus_->enumerate();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].vendor_id, 0x04D8);
  EXPECT_EQ(devices[0].product_id, 0x003C);
  EXPECT_EQ(devices[0].max_output_report, 64u);

  auto channel = connect(device);
  Bytes reply = exchange(*channel, command(sim::kQueryDevice));

  ASSERT_EQ(reply.size(), 64u);
  EXPECT_EQ(reply[0], 0x02);
  EXPECT_EQ(reply[1], 56);
  EXPECT_EQ(reply[2], 1);
  EXPECT_EQ(device.inspect([](const sim::Device& d) { return d.packets(); }), 1u);
}

TEST_F(InProcessDeviceTest, ErasingDeviceAnswersOnlyWhenDone) {
  sim::InProcessDevice device(fast({"--erase-ms", "300"}), *bus_);
  auto channel = connect(device);
  auto start = Clock::now();

  ASSERT_EQ(channel->write_report(0, command(sim::kEraseDevice), 5000), hidbus::Status::ok);
  Bytes reply = exchange(*channel, command(sim::kQueryDevice));

  EXPECT_EQ(reply.at(0), 0x02);
  EXPECT_GE(Clock::now() - start, milliseconds(300));
}

TEST_F(InProcessDeviceTest, RoundTripTakesTwoFrames) {
  sim::InProcessDevice device(fast({"--frame-ms", "5"}), *bus_);
  auto channel = connect(device);
  auto start = Clock::now();

  for (int i = 0; i < 10; ++i) exchange(*channel, command(sim::kGetData, 0x1000, 1));

  // Command in one frame, answer in the next, the next command a frame later.
  EXPECT_GE(Clock::now() - start, milliseconds(5 * (2 * 10 - 1)));
}

TEST_F(InProcessDeviceTest, TakesOneCommandPerFrame) {
  sim::InProcessDevice device(fast({"--frame-ms", "5"}), *bus_);
  auto channel = connect(device);
  auto start = Clock::now();

  for (int i = 0; i < 10; ++i)
    ASSERT_EQ(channel->write_report(0, command(sim::kGetData, 0x1000, 1), 5000), hidbus::Status::ok);
  for (int i = 0; i < 10; ++i) ASSERT_EQ(channel->read_report(5000).status, hidbus::Status::ok);

  EXPECT_GE(Clock::now() - start, milliseconds(5 * 10));
}

TEST_F(InProcessDeviceTest, LeavesTheBusAfterRemoveAfter) {
  sim::InProcessDevice device(fast({"--fault", "remove-after=1"}), *bus_);
  auto channel = connect(device);

  EXPECT_EQ(exchange(*channel, command(sim::kQueryDevice)).at(0), 0x02);

  EXPECT_EQ(channel->read_report(5000).status, hidbus::Status::removed);
  EXPECT_TRUE(bus_->enumerate().empty());
}

TEST_F(InProcessDeviceTest, ResetDropsTheDeviceOffTheBus) {
  sim::InProcessDevice device(fast(), *bus_);
  auto channel = connect(device);
  ASSERT_EQ(channel->write_report(0, command(sim::kResetDevice), 5000), hidbus::Status::ok);
  EXPECT_EQ(channel->read_report(5000).status, hidbus::Status::removed);
}

TEST_F(InProcessDeviceTest, UnsolicitedReportArrivesUnasked) {
  sim::InProcessDevice device(fast({"--fault", "unsolicited"}), *bus_);
  auto channel = connect(device);
  auto report = channel->read_report(5000);
  ASSERT_EQ(report.status, hidbus::Status::ok);
  EXPECT_EQ(report.report.data, Bytes(64, 0x5A));
}

TEST_F(InProcessDeviceTest, SilentDeviceStillTakesCommands) {
  sim::InProcessDevice device(fast({"--fault", "silent-after=0"}), *bus_);
  auto channel = connect(device);
  // No answer, and no back-pressure either: a long programming run goes through.
  for (int i = 0; i < 200; ++i)
    ASSERT_EQ(channel->write_report(0, command(sim::kQueryDevice), 5000), hidbus::Status::ok);
  EXPECT_EQ(channel->read_report(50).status, hidbus::Status::timeout);
}

// A host that sends its packets and closes at once: the device still takes
// every packet that reached it, at its own pace, and then ends the connection.
struct ClosingHostCase {
  const char* name;
  std::vector<std::string> args;
  bool erase_first = false;   // the device is busy erasing after the host has gone
  bool query_midway = false;  // a command that needs an answer, taken after the host has gone
};

void PrintTo(const ClosingHostCase& c, std::ostream* os) { *os << c.name; }

class ClosingHostTest : public InProcessDeviceTest, public testing::WithParamInterface<ClosingHostCase> {};

constexpr int kProgramPackets = 20;

Bytes program_packet(int i) {
  Bytes p = command(sim::kProgramDevice, 0x1000 + 56 * i, 56);
  for (int j = 0; j < 56; ++j) p[8 + j] = static_cast<uint8_t>(i * 56 + j);
  return p;
}

TEST_P(ClosingHostTest, EveryPacketSentBeforeTheCloseIsHandled) {
  const ClosingHostCase& c = GetParam();
  sim::InProcessDevice device(fast(c.args), *bus_);
  std::vector<Bytes> packets;
  if (c.erase_first) packets.push_back(command(sim::kEraseDevice));
  for (int i = 0; i < kProgramPackets; ++i) {
    packets.push_back(program_packet(i));
    if (c.query_midway && i == kProgramPackets / 2) packets.push_back(command(sim::kQueryDevice));
  }
  packets.push_back(command(sim::kProgramComplete));
  {
    auto channel = connect(device);
    for (const Bytes& p : packets) ASSERT_EQ(channel->write_report(0, p, 5000), hidbus::Status::ok);
  }
  // The host's end closes at once: the bus keeps none of it either.
  bus_->detach(device.path());

  auto handled = [&] { return device.inspect([](const sim::Device& d) { return d.packets(); }); };
  for (auto until = Clock::now() + std::chrono::seconds(10); Clock::now() < until && handled() < packets.size();)
    std::this_thread::sleep_for(milliseconds(10));
  EXPECT_EQ(handled(), packets.size());
  const Bytes memory = device.inspect([](const sim::Device& d) { return d.memory().at(0).bytes; });
  for (int i = 0; i < kProgramPackets * 56; ++i) ASSERT_EQ(memory.at(i), static_cast<uint8_t>(i)) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Pacing, ClosingHostTest,
    testing::Values(ClosingHostCase{"Unpaced", {}}, ClosingHostCase{"OneMsFrames", {"--frame-ms", "1"}},
                    ClosingHostCase{"FiveMsFrames", {"--frame-ms", "5"}},
                    ClosingHostCase{"ErasingFirst", {"--frame-ms", "1", "--erase-ms", "100"}, true},
                    ClosingHostCase{"QueryTakenAfterTheClose", {"--frame-ms", "1"}, false, true}),
    [](const testing::TestParamInfo<ClosingHostCase>& info) { return info.param.name; });

// The device served as the program serves it, on a thread of the test's:
// a virtual device that takes hosts one after another.
class VirtualServing {
 public:
  VirtualServing(sim::Config config, const std::string& dir) : device_(sim::make_device(std::move(config))) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe2");
    stop_read_.reset(ends[0]);
    stop_write_.reset(ends[1]);
    std::future<std::string> ready = ready_.get_future();
    thread_ = std::thread([this, dir] {
      bool published = false;
      try {
        sim::serve_virtual(device_, mutex_, stop_read_.get(), dir, [&](const std::string& path) {
          published = true;
          ready_.set_value(path);
        });
      } catch (...) {
        if (!published) ready_.set_exception(std::current_exception());
      }
      ended_.set_value();
    });
    if (ready.wait_for(std::chrono::seconds(10)) != std::future_status::ready) return;
    try {
      path_ = ready.get();
    } catch (...) {
      thread_.join();
      throw;
    }
  }
  ~VirtualServing() {
    char byte = 1;
    ssize_t ignored = ::write(stop_write_.get(), &byte, 1);
    (void)ignored;
    thread_.join();
  }

  const std::string& path() const { return path_; }
  uint64_t packets() {
    std::lock_guard lock(mutex_);
    return device_.packets();
  }
  // True once serving has ended of itself, within the time limit.
  bool ends_within(std::chrono::seconds limit) { return ended_future_.wait_for(limit) == std::future_status::ready; }

 private:
  sim::Device device_;
  std::mutex mutex_;
  hidbus::Fd stop_read_, stop_write_;
  std::promise<std::string> ready_;
  std::promise<void> ended_;
  std::future<void> ended_future_ = ended_.get_future();
  std::string path_;
  std::thread thread_;
};

// A host that goes while the answer to its GET_DATA waits for its frame: the
// device drops the answer, takes what the host sent after it and serves the
// next host, or leaves the bus if that packet was its last.
struct PendingAnswerCase {
  const char* name;
  std::vector<std::string> args;
  bool leaves = false;  // the GET_DATA is the last packet the device handles
};

void PrintTo(const PendingAnswerCase& c, std::ostream* os) { *os << c.name; }

class PendingAnswerTest : public InProcessDeviceTest, public testing::WithParamInterface<PendingAnswerCase> {};

TEST_P(PendingAnswerTest, HostGoneBeforeItsAnswer) {
  const PendingAnswerCase& c = GetParam();
  // Long frames: the host closes well before the answer's frame.
  std::vector<std::string> args = {"--frame-ms", "100"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  VirtualServing serving(sim::parse_args(args).config, folder_.virtual_dir());
  ASSERT_EQ(serving.path(), "virtual:bootloader");
  {
    auto first = bus_->open(serving.path());
    ASSERT_TRUE(first);
    ASSERT_EQ(first->write_report(0, command(sim::kGetData, 0x1000, 2), 5000), hidbus::Status::ok);
    for (auto until = Clock::now() + std::chrono::seconds(10); Clock::now() < until && serving.packets() == 0;)
      std::this_thread::sleep_for(milliseconds(1));
    ASSERT_EQ(serving.packets(), 1u);
    Bytes program = command(sim::kProgramDevice, 0x1000, 2);
    program[62] = 0xAA;
    program[63] = 0xBB;
    ASSERT_EQ(first->write_report(0, program, 5000), hidbus::Status::ok);
    ASSERT_EQ(first->read_report(0).status, hidbus::Status::timeout);  // the answer is still to go
  }
  if (c.leaves) {
    EXPECT_TRUE(serving.ends_within(std::chrono::seconds(10)));
    EXPECT_TRUE(bus_->enumerate().empty());
    return;
  }
  auto second = bus_->open(serving.path());
  ASSERT_TRUE(second);
  // Its own answer, with the bytes the first host programmed after its GET_DATA.
  Bytes expected = command(sim::kGetData, 0x1000, 2);
  expected[62] = 0xAA;
  expected[63] = 0xBB;
  EXPECT_EQ(exchange(*second, command(sim::kGetData, 0x1000, 2)), expected);
  EXPECT_EQ(serving.packets(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Hosts, PendingAnswerTest,
                         testing::Values(PendingAnswerCase{"NextHostIsServed", {}},
                                         PendingAnswerCase{"DeviceStillLeaves", {"--fault", "remove-after=1"}, true}),
                         [](const testing::TestParamInfo<PendingAnswerCase>& info) { return info.param.name; });

TEST_F(InProcessDeviceTest, DumpFollowsTheMemoryAtByteAddresses) {
  std::string dump = (folder_.path() / "memory.hex").string();
  sim::Config config = fast({"--preset", "family2", "--dump", dump});
  sim::InProcessDevice device(config, *bus_);
  auto channel = connect(device);
  Bytes program = command(sim::kProgramDevice, 0x401, 2);
  program[62] = 0xAA;
  program[63] = 0xBB;
  ASSERT_EQ(channel->write_report(0, program, 5000), hidbus::Status::ok);

  // Written while serving, within a bounded wait.
  sim::HexImage image;
  for (auto until = Clock::now() + std::chrono::seconds(10); Clock::now() < until;) {
    try {
      image = sim::read_intel_hex_file(dump);
      if (image.at(0x802) == 0xAA) break;
    } catch (const sim::HexError&) {
      // not written yet
    }
    std::this_thread::sleep_for(milliseconds(10));
  }
  ASSERT_EQ(image.at(0x802), 0xAA);
  EXPECT_EQ(image.at(0x803), 0xBB);
  EXPECT_EQ(image.at(0x800), 0xFF);

  device.stop();
  image = sim::read_intel_hex_file(dump);
  // Every region, two bytes per address.
  EXPECT_EQ(image.size(), (0x5400u + 0x200u + 12u) * 2);
  EXPECT_EQ(image.count(0xF80000u * 2), 1u);
  EXPECT_EQ(image.count(0x7FFE00u * 2 + 0x3FF), 1u);
}

}  // namespace
