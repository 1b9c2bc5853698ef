// The update window's steps over a simulated bootloader: clean updates for
// every family, and every fault the simulator offers.
#include <ostream>
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "framework/ui/label.h"
#include "framework/ui/progress_bar.h"
#include "framework/ui/push_button.h"
#include "sim/config.h"
#include "sim/intel_hex.h"
#include "support/app_session.h"
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

  explicit Update(const sim::Config& config) {
    firmware = apptest::FirmwareFor(config, 7);
    run = std::make_unique<AppRun>(std::vector<FakeDevice>{FakeDevice{.bootloader = config}});
    run->bundle().set_package(apptest::DefaultFields(firmware));
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
