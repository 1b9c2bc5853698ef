// The service console window: where it opens, what it holds, and how it
// steps the update window's machine.
#include <ostream>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "console_run.h"
#include "framework/ui/label.h"
#include "framework/ui/push_button.h"
#include "framework/ui/text_field.h"
#include "protocol/module.h"

namespace {

using consoletest::ConsoleRun;

const char kInstalled[] = "Update installed.\n\nPlease disconnect the device and turn it off.";

TEST(ConsoleWindowTest, OpensBelowTheUpdateWindowWithEmptyFields) {
  ConsoleRun r;
  ASSERT_TRUE(r.open());
  console::ConsoleWindow& c = r.console();
  updater::mainWindow& m = r.main();
  EXPECT_TRUE(c.Visible());
  EXPECT_EQ(c.Width(), 600);
  EXPECT_EQ(c.Height(), 400);
  EXPECT_EQ(c.Left(), m.Left());
  EXPECT_EQ(c.Top(), m.Top() + 40 + m.Height());
  EXPECT_EQ(c.Title().utf8(), "Ohne Titel");
  EXPECT_TRUE(c.CloseButton());
  EXPECT_TRUE(c.Resizeable());
  for (const char* field : {"Versendet", "Empfangen", "iAddress", "output"}) {
    const auto& f = c.control<framework::TextField>(field);
    EXPECT_EQ(f.Text().utf8(), "") << field;
    EXPECT_FALSE(f.ReadOnly()) << field;
  }
  // Its Open made the debug log "Debug" the trace's log file.
  EXPECT_TRUE(HID::logfile);
  // Opening made no step run.
  EXPECT_EQ(m.count, 0);
  EXPECT_TRUE(r.run->link().sent().empty());
}

struct ControlCase {
  friend void PrintTo(const ControlCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  const char* text;  // caption of a button, text of a label; empty for a field
  int left, top, width, height;
  // After the window grew by 200 x 100.
  int grown_left, grown_top, grown_width;
};

class ConsoleControlTest : public testing::TestWithParam<ControlCase> {};

TEST_P(ConsoleControlTest, StandsInPlaceAndFollowsItsLocks) {
  const ControlCase& k = GetParam();
  ConsoleRun r;
  ASSERT_TRUE(r.open());
  framework::Control& c = r.console().control<framework::Control>(k.name);
  std::string text;
  if (auto* b = dynamic_cast<framework::PushButton*>(&c)) text = b->Caption().utf8();
  if (auto* l = dynamic_cast<framework::Label*>(&c)) text = l->Text().utf8();
  EXPECT_EQ(text, k.text);
  EXPECT_EQ(c.Left(), k.left);
  EXPECT_EQ(c.Top(), k.top);
  EXPECT_EQ(c.Width(), k.width);
  EXPECT_EQ(c.Height(), k.height);
  EXPECT_TRUE(c.Enabled());

  ASSERT_TRUE(r.session().resize("ConsoleWindow", 800, 500));
  EXPECT_EQ(c.Left(), k.grown_left);
  EXPECT_EQ(c.Top(), k.grown_top);
  EXPECT_EQ(c.Width(), k.grown_width);
  EXPECT_EQ(c.Height(), k.height);
}

INSTANTIATE_TEST_SUITE_P(Controls, ConsoleControlTest,
                         testing::Values(ControlCase{"PushButton1", "Startnext", 20, 14, 95, 20, 20, 14, 95},
                                         ControlCase{"PushButton2", "Query Device", 458, 12, 122, 20, 458, 12, 122},
                                         ControlCase{"Empfangen", "", 20, 358, 560, 22, 20, 458, 760},
                                         ControlCase{"Versendet", "", 20, 292, 560, 22, 20, 392, 760},
                                         ControlCase{"StaticText1", "Empfangen:", 20, 326, 100, 20, 20, 426, 100},
                                         ControlCase{"StaticText2", "Versendet:", 20, 260, 100, 20, 20, 360, 100},
                                         ControlCase{"iAddress", "", 127, 45, 122, 22, 127, 45, 122},
                                         ControlCase{"StaticText3", "Address:", 20, 46, 100, 20, 20, 46, 100},
                                         ControlCase{"PushButton3", "Read", 20, 78, 80, 20, 20, 78, 80},
                                         ControlCase{"output", "", 261, 44, 319, 22, 261, 44, 519},
                                         ControlCase{"PushButton4", "Write", 112, 78, 80, 20, 112, 78, 80},
                                         ControlCase{"PushButton5", "Complete", 204, 78, 80, 20, 204, 78, 80},
                                         ControlCase{"PushButton6", "Startall", 127, 14, 95, 20, 127, 14, 95},
                                         ControlCase{"PushButton7", "Erase", 296, 78, 80, 20, 296, 78, 80}),
                         [](const testing::TestParamInfo<ControlCase>& info) { return std::string(info.param.name); });

TEST(ConsoleWindowTest, CannotBeMadeSmallerThan64By64) {
  ConsoleRun r;
  ASSERT_TRUE(r.open());
  r.session().resize("ConsoleWindow", 10, 10);
  EXPECT_EQ(r.console().Width(), 64);
  EXPECT_EQ(r.console().Height(), 64);
}

TEST(ConsoleWindowTest, StartOnlyEnablesStartnext) {
  ConsoleRun r;
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.session().press("mainWindow.StartButton"));
  r.session().run_for(std::chrono::seconds(5));
  EXPECT_EQ(r.main().StaticText1().Text().utf8(), "Installing new firmware... Do not disconnect.");
  EXPECT_FALSE(r.main().StartButton().Enabled());
  EXPECT_TRUE(r.console().PushButton1().Enabled());
  EXPECT_EQ(r.main().count, 0);
  EXPECT_TRUE(r.run->link().sent().empty());
}

TEST(ConsoleWindowTest, EachStartnextRunsOneStep) {
  ConsoleRun r;
  ASSERT_TRUE(r.open());
  for (int step = 1; step <= 3; ++step) {
    ASSERT_TRUE(r.press("PushButton1")) << step;
    // Held off until the step it started has ended.
    EXPECT_FALSE(r.console().PushButton1().Enabled());
    EXPECT_FALSE(r.press("PushButton1"));
    ASSERT_TRUE(r.session().run_until([&] { return r.console().PushButton1().Enabled(); }));
    EXPECT_EQ(r.main().count, step);
    r.session().run_for(std::chrono::seconds(5));
    EXPECT_EQ(r.main().count, step);
  }
  // Startnext before Start leaves the update window's texts alone.
  EXPECT_EQ(r.main().StaticText1().Text().utf8(), "Ready to install the update.");
  EXPECT_TRUE(r.main().StartButton().Enabled());
  // Step 1 asked the device.
  EXPECT_EQ(r.run->link().sent().front()[0], sim::kQueryDevice);
}

TEST(ConsoleWindowTest, StartallAfterSingleStepsRunsTheRestToTheEnd) {
  ConsoleRun r;
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.session().press("mainWindow.StartButton"));
  for (int step = 1; step <= 2; ++step) {
    ASSERT_TRUE(r.press("PushButton1"));
    ASSERT_TRUE(r.session().run_until([&] { return r.console().PushButton1().Enabled(); }));
  }
  ASSERT_EQ(r.main().count, 2);
  ASSERT_TRUE(r.press("PushButton6"));
  ASSERT_TRUE(r.run->run_to_end());
  EXPECT_EQ(r.messages(), std::vector<std::string>{kInstalled});
  EXPECT_EQ(r.session().exit_code(), 0);
}

// Regions the console listed by hand count with step 1's: a device with only a
// configuration region is refused before the erase all the same.
TEST(ConsoleWindowTest, StartallOverNoUsableRegionEndsBeforeTheErase) {
  sim::Config config = sim::preset(sim::Preset::family1);
  config.regions = {{sim::kConfigRegion, 0x300000, 14}};
  ConsoleRun r(config);
  ASSERT_TRUE(r.open());
  ASSERT_TRUE(r.command("PushButton2"));
  ASSERT_TRUE(r.session().press("mainWindow.StartButton"));
  ASSERT_TRUE(r.press("PushButton6"));
  ASSERT_TRUE(r.run->run_to_end());
  EXPECT_EQ(r.messages(), (std::vector<std::string>{"BytesPerPacket: 56\nDeviceFamily: 1\nbytesPerAddress: 1",
                                                    "Unusable memory regions reported by device."}));
  std::vector<uint8_t> commands;
  for (const std::vector<uint8_t>& packet : r.run->link().sent()) commands.push_back(packet.at(0));
  EXPECT_EQ(commands, (std::vector<uint8_t>{sim::kQueryDevice, sim::kQueryDevice}));
}

TEST(ConsoleWindowTest, StartallWhileAStepWaitsStartsNoStepInsideIt) {
  sim::Config config = sim::preset(sim::Preset::family1);
  config.erase_ms = 5000;  // longer than one read of the device link
  ConsoleRun r(config);
  ASSERT_TRUE(r.open());
  std::vector<std::pair<uint8_t, framework::TimePoint>> sends;
  r.run->link().set_on_send([&](const std::vector<uint8_t>& p) { sends.push_back({p[0], r.session().now()}); });
  for (int step = 1; step <= 5; ++step) {
    ASSERT_TRUE(r.session().run_until([&] { return r.console().PushButton1().Enabled(); }));
    ASSERT_TRUE(r.press("PushButton1"));
  }
  // Step 5 waits for the erasing device to answer its query.
  ASSERT_TRUE(r.session().run_until([&] { return sends.size() == 3; }));
  ASSERT_EQ(r.main().count, 5);
  ASSERT_TRUE(r.press("PushButton6"));
  ASSERT_TRUE(r.run->run_to_end());
  EXPECT_EQ(r.messages(), std::vector<std::string>{kInstalled});
  ASSERT_EQ(sends[1].first, sim::kEraseDevice);
  const auto program =
      std::find_if(sends.begin(), sends.end(), [](const auto& s) { return s.first == sim::kProgramDevice; });
  ASSERT_NE(program, sends.end());
  EXPECT_GE(program->second - sends[1].second, std::chrono::milliseconds(5000));
}

TEST(ConsoleWindowTest, ClosedConsoleIsMadeAgainByTheNextStep) {
  ConsoleRun r;
  ASSERT_TRUE(r.open());
  framework::Ref<framework::Window> first = r.session().window("ConsoleWindow");
  ASSERT_TRUE(r.press("PushButton1"));
  ASSERT_TRUE(r.session().close("ConsoleWindow"));
  ASSERT_TRUE(r.session().run_until([&] { return r.main().count == 1 && bool(r.session().window("ConsoleWindow")); }));
  EXPECT_NE(r.session().window("ConsoleWindow").get(), first.get());
  EXPECT_TRUE(r.console().PushButton1().Enabled());
  EXPECT_EQ(r.console().Versendet().Text().utf8(), "");
}

}  // namespace
