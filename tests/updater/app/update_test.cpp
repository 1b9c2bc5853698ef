// The update window's steps over a simulated bootloader: clean updates for
// every family, and every fault the simulator offers.
#include <ostream>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "framework/ui/label.h"
#include "framework/ui/progress_bar.h"
#include "framework/ui/push_button.h"
#include "sim/config.h"
#include "sim/intel_hex.h"
#include "support/app_session.h"
#include "updater/bound.h"
#include "updater/main_window.h"
#include "update_faults.h"

namespace {

using apptest::AppRun;
using apptest::FakeDevice;

using testsupport::kInstalled;
using testsupport::kVerifyFailed;

// Empty when the device holds the firmware on every programmed address and
// its configuration regions are untouched; else where it differs first.
std::string MemoryDifference(const sim::Device& device, const std::string& firmware) {
  const sim::HexImage image = sim::read_intel_hex(firmware);
  const std::vector<sim::HexBlock> blocks = device.memory();
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const bool config = device.config().regions[i].type == sim::kConfigRegion;
    for (std::size_t k = 0; k < blocks[i].bytes.size(); ++k) {
      const uint32_t address = blocks[i].address + uint32_t(k);
      auto it = image.find(address);
      const int expected = (config || it == image.end()) ? 0xFF : it->second;
      if (blocks[i].bytes[k] != expected) {
        std::ostringstream out;
        out << "byte address 0x" << std::hex << address << ": device " << int(blocks[i].bytes[k]) << ", expected "
            << expected;
        return out.str();
      }
    }
  }
  return {};
}

struct Update {
  std::unique_ptr<AppRun> run;
  std::string firmware;

  // `adjust` may change what the application is made from before it starts.
  explicit Update(const sim::Config& config, std::string text = {},
                  const std::function<void(updater::Bound&)>& adjust = {}) {
    firmware = text.empty() ? apptest::FirmwareFor(config, 7) : std::move(text);
    run = std::make_unique<AppRun>(std::vector<FakeDevice>{FakeDevice{.bootloader = config}});
    run->bundle().set_package(apptest::DefaultFields(firmware));
    if (adjust) adjust(run->bound());
    run->start();
  }
  bool window_open() {
    return run->session().run_until([&] { return bool(run->session().window("mainWindow")); });
  }
  updater::mainWindow& window() { return dynamic_cast<updater::mainWindow&>(*run->session().window("mainWindow")); }
  bool start_and_finish() {
    if (!window_open() || !run->session().press("mainWindow.StartButton")) return false;
    return run->run_to_end();
  }
  std::string difference() { return MemoryDifference(*run->link().connected(), firmware); }
};

struct FamilyCase {
  friend void PrintTo(const FamilyCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  sim::Preset preset;
};

class CleanUpdateTest : public testing::TestWithParam<FamilyCase> {};

TEST_P(CleanUpdateTest, DeviceEndsUpHoldingTheFirmware) {
  Update u(sim::preset(GetParam().preset));
  ASSERT_TRUE(u.start_and_finish());
  EXPECT_EQ(u.run->session().exit_code(), 0);
  EXPECT_EQ(u.run->messages(), std::vector<std::string>{kInstalled});
  EXPECT_EQ(u.difference(), "");
}

INSTANTIATE_TEST_SUITE_P(Families, CleanUpdateTest,
                         testing::Values(FamilyCase{"Family1", sim::Preset::family1},
                                         FamilyCase{"Family2", sim::Preset::family2},
                                         FamilyCase{"Family3", sim::Preset::family3}),
                         [](const testing::TestParamInfo<FamilyCase>& info) { return info.param.name; });

class FaultTest : public testing::TestWithParam<testsupport::FaultCase> {};

TEST_P(FaultTest, EndsWithItsMessageAndNeverClaimsSuccess) {
  Update u(sim::parse_args(GetParam().sim_args).config);
  ASSERT_TRUE(u.start_and_finish());
  EXPECT_EQ(u.run->session().exit_code(), 0);

  const std::vector<std::string>& shown = u.run->messages();
  testsupport::ExpectMessages(shown, GetParam().messages);
  if (!shown.empty() && shown.back() == kInstalled) {
    EXPECT_EQ(u.difference(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(SimulatorFaults, FaultTest,
                         testing::ValuesIn(testsupport::UpdateFaults(testsupport::Answers::at_once)),
                         testsupport::FaultName);

// A device or a package that leaves nothing to install ends with its message
// before the erase: nothing but the query is sent.
void ExpectNothingInstalled(const sim::Config& config, const std::string& firmware, const std::string& message) {
  Update u(config, firmware);
  ASSERT_TRUE(u.start_and_finish());
  EXPECT_EQ(u.run->session().exit_code(), 0);
  EXPECT_EQ(u.run->messages(), std::vector<std::string>{message});
  std::vector<uint8_t> commands;
  for (const std::vector<uint8_t>& packet : u.run->link().sent()) commands.push_back(packet.at(0));
  EXPECT_EQ(commands, std::vector<uint8_t>{sim::kQueryDevice});
}

class NothingToInstallTest : public testing::TestWithParam<testsupport::NothingToInstallCase> {};

TEST_P(NothingToInstallTest, EndsBeforeTheErase) {
  const testsupport::NothingToInstallCase& c = GetParam();
  const sim::Config config = sim::parse_args(c.sim_args).config;
  ExpectNothingInstalled(
      config, c.firmware_length ? apptest::FirmwareAt(c.firmware_at, c.firmware_length, 3) : std::string{}, c.message);
}

INSTANTIATE_TEST_SUITE_P(Cases, NothingToInstallTest, testing::ValuesIn(testsupport::NothingToInstall()),
                         testsupport::NothingToInstallName);

TEST(NothingToInstallTest, DeviceListingNoRegions) {
  sim::Config config;
  config.regions.clear();
  ExpectNothingInstalled(config, apptest::FirmwareAt(0x1000, 64, 3), testsupport::kNoUsableRegions);
}

// A firmware that fits in part is installed where it fits.
TEST(PartlyFittingFirmwareTest, IsInstalledWhereItFits) {
  const sim::Config config;
  const sim::HexBlock inside{0x1000, std::vector<uint8_t>(100, 0x5A)};
  const sim::HexBlock outside{0x20000, std::vector<uint8_t>(100, 0xA5)};
  Update u(config, sim::write_intel_hex({inside, outside}));
  ASSERT_TRUE(u.start_and_finish());
  EXPECT_EQ(u.run->messages(), std::vector<std::string>{kInstalled});
  EXPECT_EQ(u.difference(), "");
}

// Family 2 answers carry two bytes per address; the fourth byte of every
// four is not compared, the others are.
struct Family2Case {
  friend void PrintTo(const Family2Case& c, std::ostream* os) { *os << c.name; }
  const char* name;
  sim::StuckBit stuck;  // in the gap of the firmware, where the image holds 0xFF
  std::vector<std::string> messages;
  const char* difference;
};

class Family2VerifyTest : public testing::TestWithParam<Family2Case> {};

TEST_P(Family2VerifyTest, ComparesAllButEveryFourthByte) {
  sim::Config config = sim::preset(sim::Preset::family2);
  config.faults.stuck_bits = {GetParam().stuck};
  Update u(config);
  ASSERT_TRUE(u.start_and_finish());
  EXPECT_EQ(u.run->session().exit_code(), 0);
  EXPECT_EQ(u.run->messages(), GetParam().messages);
  EXPECT_EQ(u.difference(), GetParam().difference);
}

// The request at 0x9E8 (0x400 + 54 x 28 addresses) answers bytes 0x13D0 on.
INSTANTIATE_TEST_SUITE_P(Answers, Family2VerifyTest,
                         testing::Values(Family2Case{"FirstByteOfAnAnswer",
                                                     {0x9E8, 0, false},
                                                     {"Verification failed on address 0009E8", kVerifyFailed},
                                                     "byte address 0x13d0: device fe, expected ff"},
                                         Family2Case{"FourthByteOfAnAnswer",
                                                     {0x9E9, 8, false},
                                                     {kInstalled},
                                                     "byte address 0x13d3: device fe, expected ff"}),
                         [](const testing::TestParamInfo<Family2Case>& info) { return info.param.name; });

// Stuck bits of a family-2 device that make the answer at `address` differ in
// its bytes 0, 5 and 10, and in its byte 3, which is never compared.
std::vector<sim::StuckBit> DifferingAnswer(uint32_t address) {
  return {{address, 0, false}, {address + 1, 8, false}, {address + 2, 8, false}, {address + 5, 0, false}};
}

struct Family2BoxesCase {
  friend void PrintTo(const Family2BoxesCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::vector<uint32_t> answers;  // addresses of the answers that differ
  std::vector<std::string> messages;
};

class Family2BoxesTest : public testing::TestWithParam<Family2BoxesCase> {};

// Regions at 0 and 0x1400, so that answers come for both addresses; the
// firmware lies after the first answer, so that the answers compared are
// erased memory.
TEST_P(Family2BoxesTest, AnswersAt0x1400AndAt0ShowTheirBoxesAndPass) {
  sim::Config config = sim::preset(sim::Preset::family2);
  config.regions = {
      {sim::kProgramRegion, 0, 0x40}, {sim::kProgramRegion, 0x1400, 0x40}, {sim::kConfigRegion, 0xF80000, 12}};
  for (uint32_t address : GetParam().answers) {
    for (const sim::StuckBit& bit : DifferingAnswer(address)) config.faults.stuck_bits.push_back(bit);
  }
  Update u(config, apptest::FirmwareAt(0x40, 0x40, 9));
  ASSERT_TRUE(u.start_and_finish());
  EXPECT_EQ(u.run->messages(), GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Family2BoxesTest,
    testing::Values(Family2BoxesCase{"At0And0x1400",
                                     {0, 0x1400},
                                     {"Error2", "Error2", "Error2", "Error1", "Error1", "Error1", kInstalled}},
                    // The next answer after 0x1400, 28 addresses on.
                    Family2BoxesCase{"FurtherOn", {0x141C}, {"Verification failed on address 00141C", kVerifyFailed}}),
    [](const testing::TestParamInfo<Family2BoxesCase>& info) { return info.param.name; });

// Answers as a device gives them, a moment after the request: the first
// immediate read after each packet finds none yet.
void AnswerAMomentLater(updater::Bound& bound) {
  auto sent = std::make_shared<bool>(false);
  updater::DevicePath& path = bound.device;
  path.SendCommand = [send = path.SendCommand, sent](const framework::Ref<framework::MemoryBlock>& packet) {
    *sent = true;
    send(packet);
  };
  path.ReadCommand = [read = path.ReadCommand, sent](HID::ReadMode mode) -> framework::Ref<framework::MemoryBlock> {
    if (mode == HID::ReadMode::Immediate && std::exchange(*sent, false)) return nullptr;
    return read(mode);
  };
}

// The bar's values over an update, as the steps set them: 0 in steps 2 and 5;
// before each packet of a region (addr - Address) x 100 / Size, then 100;
// while each answer of verification is awaited (addr - Address) x 400 / Size
// + 100, addr being the next request's address, so that the last one of a
// region may pass 500. The bar reports only changes.
std::vector<int32_t> BarValues(const sim::Config& config) {
  const int64_t step = config.bytes_per_packet / config.bytes_per_address();
  std::vector<int32_t> set{0, 0};
  for (const sim::Region& r : config.regions) {
    if (r.type == sim::kConfigRegion) continue;
    for (int64_t a = 0; a < r.size; a += step) set.push_back(int32_t(double(a * 100) / double(r.size)));
  }
  set.push_back(100);
  for (const sim::Region& r : config.regions) {
    if (r.type == sim::kConfigRegion) continue;
    for (int64_t a = step;; a += step) {
      set.push_back(int32_t(double(a * 400) / double(r.size) + 100));
      if (a >= r.size) break;
    }
  }
  std::vector<int32_t> changes;
  int32_t shown = 0;
  for (int32_t v : set) {
    if (v != shown) changes.push_back(v);
    shown = v;
  }
  return changes;
}

struct ProgressCase {
  friend void PrintTo(const ProgressCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  sim::Config config;
};

class ProgressTest : public testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressTest, BarFollowsProgrammingAndVerification) {
  Update u(GetParam().config, {}, AnswerAMomentLater);
  ASSERT_TRUE(u.start_and_finish());
  ASSERT_EQ(u.run->messages(), std::vector<std::string>{kInstalled});
  const std::string prefix = "progress mainWindow.bar ";
  std::vector<int32_t> shown;
  for (const std::string& line : u.run->session().transcript()) {
    if (line.rfind(prefix, 0) == 0) shown.push_back(std::stoi(line.substr(prefix.size())));
  }
  EXPECT_EQ(shown, BarValues(GetParam().config));
}

sim::Config ShortRegions() {
  sim::Config config;
  // 100 addresses: 0 and 56 while programming, 324 and 548 while verifying.
  config.regions = {
      {sim::kProgramRegion, 0x1000, 100}, {sim::kProgramRegion, 0x2000, 0x400}, {sim::kConfigRegion, 0x300000, 14}};
  return config;
}

INSTANTIATE_TEST_SUITE_P(Devices, ProgressTest,
                         testing::Values(ProgressCase{"SampleDevice", sim::Config{}},
                                         ProgressCase{"ShortRegionsRestartTheBar", ShortRegions()},
                                         ProgressCase{"Family2", sim::preset(sim::Preset::family2)}),
                         [](const testing::TestParamInfo<ProgressCase>& info) { return info.param.name; });

TEST(StepMachineTest, StartRunsOneStepPerFiringAndLocksCancelFromTheErase) {
  Update u{sim::Config{}};
  ASSERT_TRUE(u.window_open());
  updater::mainWindow& w = u.window();
  EXPECT_EQ(w.Title().utf8(), "Firmware Updater");
  EXPECT_EQ(w.StaticText1().Text().utf8(), "Ready to install the update.");
  EXPECT_EQ(w.info().Text().utf8(), "");
  EXPECT_EQ(w.version().Text().utf8(), "1.0.0");
  EXPECT_EQ(w.bar().Maximum(), 500);
  EXPECT_TRUE(u.run->link().sent().empty());

  const framework::TimePoint pressed = u.run->session().now();
  ASSERT_TRUE(u.run->session().press("mainWindow.StartButton"));
  EXPECT_EQ(w.StaticText1().Text().utf8(), "Installing new firmware... Do not disconnect.");
  EXPECT_FALSE(w.StartButton().Enabled());
  EXPECT_EQ(w.count, 0);
  ASSERT_TRUE(u.run->session().run_until([&] { return w.count == 1; }));
  EXPECT_EQ(u.run->session().now() - pressed, std::chrono::milliseconds(100));

  ASSERT_TRUE(u.run->session().run_until([&] { return w.count == 3; }));
  EXPECT_EQ(w.info().Text().utf8(), "Preparing device...");
  EXPECT_TRUE(w.Cancelbutton().Enabled());
  ASSERT_TRUE(u.run->session().run_until([&] { return w.count == 5; }));
  EXPECT_EQ(w.info().Text().utf8(), "Preparing device...");
  EXPECT_FALSE(w.Cancelbutton().Enabled());
  EXPECT_FALSE(u.run->session().press("mainWindow.Cancelbutton"));
  ASSERT_TRUE(u.run->session().run_until([&] { return w.count == 6; }));
  EXPECT_EQ(w.bar().Value(), 100);

  ASSERT_TRUE(u.run->run_to_end());
  EXPECT_EQ(u.run->messages(), std::vector<std::string>{kInstalled});
}

TEST(StepMachineTest, CancelBeforeStartQuitsWithoutTouchingTheDevice) {
  Update u{sim::Config{}};
  ASSERT_TRUE(u.window_open());
  ASSERT_TRUE(u.run->session().press("mainWindow.Cancelbutton"));
  EXPECT_TRUE(u.run->session().finished());
  EXPECT_EQ(u.run->session().exit_code(), 0);
  EXPECT_TRUE(u.run->link().sent().empty());
  EXPECT_TRUE(u.run->messages().empty());
}

}  // namespace
