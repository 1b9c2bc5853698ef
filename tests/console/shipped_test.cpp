// The console in a shipped build: the class is registered all the same, but
// the window never opens and Start runs the update by itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console_window.h"
#include "framework/object.h"
#include "support/app_session.h"
#include "support/firmware.h"
#include "updater/main_window.h"

namespace {

TEST(ShippedConsoleTest, ClassIsRegisteredButNoWindowOpens) {
  const sim::Config config = sim::preset(sim::Preset::family1);
  apptest::AppRun run({apptest::FakeDevice{.bootloader = config}});
  run.bundle().set_package(apptest::DefaultFields(apptest::FirmwareFor(config, 5)));
  run.bound().console = console::Register();
  EXPECT_NE(framework::find_class("ConsoleWindow"), nullptr);
  run.start();
  framework::headless::Session& s = run.session();
  ASSERT_TRUE(s.run_until([&] { return bool(s.window("mainWindow")); }));
  ASSERT_TRUE(s.press("mainWindow.StartButton"));
  // Step 1 runs by itself: the query goes out without any console press.
  ASSERT_TRUE(s.run_until([&] { return !run.link().sent().empty(); }));
  EXPECT_EQ(run.link().sent().front()[0], 0x02);
  EXPECT_FALSE(s.window("ConsoleWindow"));
  EXPECT_FALSE(run.shown("ConsoleWindow"));
}

}  // namespace
