// The update as whole processes: the built bundle, headless, against
// bootloader-sim. No run may show "Update installed." unless the device
// memory then equals the firmware.
#include <ostream>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "mkpackage/package.h"
#include "jpegicc/jpegicc.h"
#include "sim/config.h"
#include "sim/intel_hex.h"
#include "sim_process.h"
#include "support/bundle_copy.h"
#include "support/resident_memory.h"
#include "support/firmware.h"
#include "update_faults.h"

namespace {

using testsupport::LinesStartingWith;

const char kInstalled[] = "msgbox \"Update installed.\\n\\nPlease disconnect the device and turn it off.\"";

struct UpdateRun {
  testsupport::Outcome updater;
  std::string firmware;
  sim::HexImage memory;
  std::vector<sim::Region> regions;
  unsigned bytes_per_address = 1;

  // Empty when every byte of every region holds `expected(region, byte
  // address)`; else the first that does not.
  std::string mismatch(const std::function<int(const sim::Region&, uint32_t)>& expected) const {
    for (const sim::Region& r : regions) {
      const uint64_t first = uint64_t(r.address) * bytes_per_address;
      const uint64_t end = first + uint64_t(r.size) * bytes_per_address;
      for (uint64_t a = first; a < end; ++a) {
        auto in_device = memory.find(uint32_t(a));
        const int actual = in_device == memory.end() ? -1 : in_device->second;
        if (expected(r, uint32_t(a)) != actual) return "byte address " + std::to_string(a);
      }
    }
    return {};
  }

  // Empty when every firmware byte of a program region is in the device and
  // the configuration regions hold only 0xFF.
  std::string difference() const {
    const sim::HexImage image = sim::read_intel_hex(firmware);
    return mismatch([&](const sim::Region& r, uint32_t a) {
      auto in_image = image.find(a);
      return (r.type == sim::kConfigRegion || in_image == image.end()) ? 0xFF : in_image->second;
    });
  }

  // Empty when every byte of every region still holds what `before` (a fill
  // of the device) put there, 0xFF where it put nothing.
  std::string changed_from(const std::string& before) const {
    const sim::HexImage held = sim::read_intel_hex(before);
    return mismatch([&](const sim::Region&, uint32_t a) {
      auto in_fill = held.find(a);
      return in_fill == held.end() ? 0xFF : in_fill->second;
    });
  }
};

const char kPressStart[] = "press mainWindow.StartButton\n";

// Updates a bootloader-sim of `preset` with `sim_args` and a package of
// `firmware` (by default one made for the device's regions), through
// `bundle_name` acting out `script`; the device starts with the memory `fill`
// (erased when empty), which is read from its dump at the end. Both meet in
// the folder of virtual devices `bus_dir` (by default one in the scratch folder).
UpdateRun Update(const char* preset, const std::vector<std::string>& sim_args, const char* bundle_name = "updater",
                 const char* script = kPressStart, const std::string& firmware = {}, const std::string& fill = {},
                 const std::string& bus_dir = {}) {
  testsupport::ScratchDir dir;
  UpdateRun run;
  std::vector<std::string> device_args{"--preset", preset};
  device_args.insert(device_args.end(), sim_args.begin(), sim_args.end());
  sim::Config config = sim::parse_args(device_args).config;
  run.regions = config.regions;
  run.bytes_per_address = config.bytes_per_address();
  run.firmware = firmware.empty() ? apptest::FirmwareFor(config, 11) : firmware;

  e2e::BundleCopy bundle(bundle_name);
  tools::PackageFields fields{"package", "2.0", "Simulated update", "&h04D8", "&h003C", run.firmware};
  jpegicc::write_file(bundle.resources() / "logo.jpg",
                      tools::make_package(jpegicc::read_file(UPDATER_LOGO_PICTURE_PATH), fields));

  const testsupport::Environment env{{"HIDBUS_VIRTUAL_DIR", bus_dir.empty() ? (dir / "hidbus").string() : bus_dir}};
  std::vector<std::string> args{"--preset",   preset, "--frame-ms", "0",
                                "--erase-ms", "20",   "--dump",     (dir / "memory.hex").string()};
  args.insert(args.end(), sim_args.begin(), sim_args.end());
  if (!fill.empty()) {
    testsupport::WriteText(dir / "fill.hex", fill);
    args.insert(args.end(), {"--fill", (dir / "fill.hex").string()});
  }
  {
    testsupport::SimProcess device(BOOTLOADER_SIM_PATH, args, env);
    run.updater = bundle.RunHeadless(script, env, std::chrono::seconds(120));
    device.Stop();
  }
  try {
    run.memory = sim::read_intel_hex_file((dir / "memory.hex").string());
  } catch (const sim::HexError&) {
  }
  return run;
}

struct FamilyCase {
  friend void PrintTo(const FamilyCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  const char* preset;
};

class WholeUpdateTest : public testing::TestWithParam<FamilyCase> {};

TEST_P(WholeUpdateTest, CleanUpdateLeavesTheFirmwareInTheDevice) {
  const UpdateRun run = Update(GetParam().preset, {});
  EXPECT_EQ(run.updater.exit_code, 0) << run.updater.err;
  EXPECT_EQ(LinesStartingWith(run.updater.out, "msgbox "), std::vector<std::string>{kInstalled});
  EXPECT_EQ(run.difference(), "");
}

INSTANTIATE_TEST_SUITE_P(Families, WholeUpdateTest,
                         testing::Values(FamilyCase{"Family1", "family1"}, FamilyCase{"Family2", "family2"},
                                         FamilyCase{"Family3", "family3"}),
                         [](const testing::TestParamInfo<FamilyCase>& info) { return info.param.name; });

// The diagnostic bundle: Start only enables the console's Startnext, and
// Startall runs the whole update.
TEST(WholeDiagnosticUpdateTest, StartallRunsTheUpdateToItsEnd) {
  const UpdateRun run =
      Update("family1", {}, "updater-diag", "press mainWindow.StartButton\npress ConsoleWindow.PushButton6\n");
  EXPECT_EQ(run.updater.exit_code, 0) << run.updater.err;
  EXPECT_EQ(LinesStartingWith(run.updater.out, "msgbox "), std::vector<std::string>{kInstalled});
  EXPECT_EQ(run.difference(), "");
}

// The line a headless run prints for a message box with `text`; a text
// ending in "..." gives the line's start, to match by.
std::string MsgboxLine(const std::string& text) {
  const bool prefix = text.size() > 3 && text.compare(text.size() - 3, 3, "...") == 0;
  std::string line = "msgbox \"";
  for (char c : prefix ? text.substr(0, text.size() - 3) : text) {
    if (c == '\n') {
      line += "\\n";
    } else {
      if (c == '"' || c == '\\') line += '\\';
      line += c;
    }
  }
  return line + (prefix ? "..." : "\"");
}

class WholeFaultTest : public testing::TestWithParam<testsupport::FaultCase> {};

TEST_P(WholeFaultTest, EndsWithItsMessageAndExitCodeZero) {
  const UpdateRun run = Update("family1", GetParam().sim_args);
  EXPECT_EQ(run.updater.exit_code, 0) << run.updater.err;
  std::vector<std::string> shown = LinesStartingWith(run.updater.out, "msgbox ");
  if (!GetParam().link_warning.empty()) {
    const std::string warning = MsgboxLine(GetParam().link_warning);
    EXPECT_NE(std::find(shown.begin(), shown.end(), warning), shown.end());
    shown.erase(std::remove(shown.begin(), shown.end(), warning), shown.end());
  }
  std::vector<std::string> expected;
  for (const std::string& m : GetParam().messages) expected.push_back(MsgboxLine(m));
  testsupport::ExpectMessages(shown, expected);
  if (!shown.empty() && shown.back() == kInstalled) {
    EXPECT_EQ(run.difference(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(SimulatorFaults, WholeFaultTest,
                         testing::ValuesIn(testsupport::UpdateFaults(testsupport::Answers::later)),
                         testsupport::FaultName);

// Nothing to install: the message comes before the erase, and the device's
// memory is what it held before.
class WholeNothingToInstallTest : public testing::TestWithParam<testsupport::NothingToInstallCase> {};

TEST_P(WholeNothingToInstallTest, LeavesTheDeviceAsItWas) {
  const testsupport::NothingToInstallCase& c = GetParam();
  std::vector<std::string> device_args{"--preset", "family1"};
  device_args.insert(device_args.end(), c.sim_args.begin(), c.sim_args.end());
  const std::string before = apptest::FirmwareFor(sim::parse_args(device_args).config, 13);
  const std::string firmware = c.firmware_length ? apptest::FirmwareAt(c.firmware_at, c.firmware_length, 3) : "";
  const UpdateRun run = Update("family1", c.sim_args, "updater", kPressStart, firmware, before);
  EXPECT_EQ(run.updater.exit_code, 0) << run.updater.err;
  EXPECT_EQ(LinesStartingWith(run.updater.out, "msgbox "), std::vector<std::string>{MsgboxLine(c.message)});
  EXPECT_EQ(run.changed_from(before), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeNothingToInstallTest, testing::ValuesIn(testsupport::NothingToInstall()),
                         testsupport::NothingToInstallName);

// Regions anywhere in the 32-bit address space, and of any length, are
// programmed and verified to their end: the walk neither stops at 0x80000000
// nor runs past the region, nor leaves out a last packet of one byte.
struct PlacementCase {
  const char* name;
  const char* preset;
  std::vector<std::string> sim_args;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class RegionPlacementTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(RegionPlacementTest, IsUpdatedToItsEnd) {
  const UpdateRun run = Update(GetParam().preset, GetParam().sim_args);
  EXPECT_FALSE(run.updater.timed_out);
  EXPECT_EQ(run.updater.exit_code, 0) << run.updater.err;
  EXPECT_EQ(LinesStartingWith(run.updater.out, "msgbox "), std::vector<std::string>{kInstalled});
  EXPECT_EQ(run.difference(), "");
}

INSTANTIATE_TEST_SUITE_P(
    AddressSpace, RegionPlacementTest,
    testing::Values(PlacementCase{"EndingAtTheSignBoundaryBeforeAnother",
                                  "family1",
                                  {"--region", "1:0x7FFFFFC0:0x40", "--region", "1:0x1000:0x7000"}},
                    PlacementCase{"OneByteLeftForTheLastPacket", "family1", {"--region", "1:0x1000:57"}},
                    PlacementCase{"LastPacketsBelowTheSignBoundary", "family1", {"--region", "1:0x7FFFFF00:0x100"}},
                    PlacementCase{"CrossingTheSignBoundary", "family1", {"--region", "1:0x7FFFFFC0:0x100"}},
                    PlacementCase{"AtTheTopOfTheAddressSpace", "family1", {"--region", "1:0xFFFFF000:0x1000"}},
                    PlacementCase{"Family2CrossingTheSignBoundary", "family2", {"--region", "1:0x3FFFFFC0:0x100"}}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return info.param.name; });

// A record that starts below a region and runs into it, as objcopy makes from
// 64 bytes placed at 0x0FF8: its bytes from 0x1000 on are programmed too.
TEST(WholeRecordTest, RecordRunningIntoARegionIsProgrammed) {
  sim::HexBlock block{0x0FF8, {}};
  for (int i = 0; i < 64; ++i) block.bytes.push_back(uint8_t(0x40 + i));
  const UpdateRun run = Update("family1", {}, "updater", kPressStart, sim::write_intel_hex({block}));
  EXPECT_EQ(LinesStartingWith(run.updater.out, "msgbox "), std::vector<std::string>{kInstalled});
  EXPECT_EQ(run.difference(), "");
}

// A device's name is at most 77 bytes, so that every host reaches it
// through the connect path it takes, whatever the folder: the longest
// installs in a folder of a short path (where the device's own socket path
// leaves room for more), and one more is refused before the device is
// published.
TEST(DeviceNameTest, LongestNameInstallsAndOneMoreIsRefused) {
  // Beside the scratch folders, whose paths are longer; removed however the test ends.
  struct ShortFolder {
    std::string path = "/tmp/XXXXXX";
    bool made = mkdtemp(path.data()) != nullptr;
    ~ShortFolder() {
      std::error_code ignored;
      if (made) std::filesystem::remove_all(path, ignored);
    }
  } folder;
  ASSERT_TRUE(folder.made) << std::strerror(errno);
  const std::string& bus_dir = folder.path;

  const UpdateRun run = Update("family1", {"--name", std::string(77, 'n')}, "updater", kPressStart, {}, {}, bus_dir);
  EXPECT_EQ(run.updater.exit_code, 0) << run.updater.err;
  EXPECT_EQ(LinesStartingWith(run.updater.out, "msgbox "), std::vector<std::string>{kInstalled});
  EXPECT_EQ(run.difference(), "");

  const std::string longer(78, 'n');
  const testsupport::Outcome refused = testsupport::Run({BOOTLOADER_SIM_PATH, "--name", longer},
                                                        {{"HIDBUS_VIRTUAL_DIR", bus_dir}}, std::chrono::seconds(10));
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "bootloader-sim: virtual device name \"" + longer +
                             "\" is longer than 77 bytes, the most a host can reach\n");
  EXPECT_TRUE(std::filesystem::is_empty(bus_dir)) << "nothing published";
}

// A device that floods the host with unasked reports from the connect on,
// while the update window waits for Start: the updater keeps a bounded number
// of them (the mac path drops the oldest, with one line on the debug log; the
// win path reads none until asked), and the update started afterwards ends
// with the flood's report taken for the device's answer to its query, so
// nothing is erased or written.
struct FloodCase {
  friend void PrintTo(const FloodCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  const char* bundle;
  const char* program;
  bool drops;
};

class WholeFloodTest : public testing::TestWithParam<FloodCase> {};

TEST_P(WholeFloodTest, KeepsMemoryBoundedAndTheUpdateEndsWithWrongAnswer) {
  using std::chrono::milliseconds;
  e2e::ResidentMemory memory(GetParam().program);
  const UpdateRun run =
      Update("family1", {"--fault", "flood=20"}, GetParam().bundle, "wait 12000\npress mainWindow.StartButton\n");
  EXPECT_EQ(run.updater.exit_code, 0) << run.updater.err.substr(0, 2000);
  // Every flood report is 64 bytes of 0x5A, and one of them is what the
  // query reads first.
  EXPECT_EQ(LinesStartingWith(run.updater.out, "msgbox "),
            std::vector<std::string>{MsgboxLine("Wrong answer from device.\n\n90")})
      << run.updater.out;
  EXPECT_EQ(run.changed_from(sim::write_intel_hex({})), "") << "the device is left erased, as it started";
  // The flood goes on until Start; once the receive queue is full (some
  // seconds in), what is kept of it must not grow with it.
  const e2e::ResidentMemory::Sample early = memory.at(milliseconds(8000));
  const e2e::ResidentMemory::Sample late = memory.at(milliseconds(11800));
  ASSERT_GT(early.rss_kib, 0);
#ifndef __SANITIZE_ADDRESS__  // which holds freed memory back: the figures count in a plain build
  EXPECT_LT(late.rss_kib - early.rss_kib, 6 * 1024) << early.rss_kib << " KiB, then " << late.rss_kib << " KiB";
  EXPECT_LE(memory.last().peak_kib, 64 * 1024);
#endif
  EXPECT_EQ(LinesStartingWith(run.updater.err, "Receive queue full").size(), GetParam().drops ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Bundles, WholeFloodTest,
                         testing::Values(FloodCase{"Mac", "updater", "updater", true},
                                         FloodCase{"Win", "updater-win", "updater-win", false}),
                         [](const testing::TestParamInfo<FloodCase>& info) { return info.param.name; });

// The win variant over its own device path: one run, looked at twice.
class WinUpdateTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { run_ = Update("family1", {}, "updater-win"); }
  static void TearDownTestSuite() { run_.reset(); }
  static std::optional<UpdateRun> run_;
};

std::optional<UpdateRun> WinUpdateTest::run_;

TEST_F(WinUpdateTest, CleanUpdateLeavesTheFirmwareInTheDevice) {
  EXPECT_EQ(run_->updater.exit_code, 0) << run_->updater.err;
  EXPECT_EQ(LinesStartingWith(run_->updater.out, "msgbox "), std::vector<std::string>{kInstalled});
  EXPECT_EQ(run_->difference(), "");
}

TEST_F(WinUpdateTest, SearchLogsEachDeviceInDecimalThenTheMatchAndTheConnection) {
  // The search's lines in their order.
  std::vector<std::string> search;
  std::istringstream err(run_->updater.err);
  for (std::string line; std::getline(err, line);) {
    if (line.rfind("VendorID: ", 0) == 0 || line.rfind("Ger\xC3\xA4t", 0) == 0 || line.rfind("Connect", 0) == 0) {
      search.push_back(line);
    }
  }
  ASSERT_GE(search.size(), 3u) << run_->updater.err;
  const std::regex decimal("VendorID: -?[0-9]+ ProductID: -?[0-9]+");
  for (std::size_t i = 0; i + 2 < search.size(); ++i) EXPECT_TRUE(std::regex_match(search[i], decimal)) << search[i];
  // The simulated device (0x04D8, 0x003C) ends the walk; one connection, no error line.
  EXPECT_EQ(std::vector<std::string>(search.end() - 3, search.end()),
            (std::vector<std::string>{"VendorID: 1240 ProductID: 60", "Ger\xC3\xA4t gefunden.", "Connect OK."}));
}

}  // namespace
