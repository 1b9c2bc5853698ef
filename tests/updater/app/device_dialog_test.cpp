// DeviceDialog: the search every second, the one "No device found.", connect.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "support/app_session.h"

namespace {

using apptest::AppRun;
using apptest::FakeDevice;
using apptest::SearchLines;
using namespace std::chrono_literals;

class DeviceDialogTest : public testing::Test {
 protected:
  void Start(AppRun& run) {
    run.bundle().set_package(apptest::DefaultFields(":00000001FF\r\n"));
    run.start();
    start_ = run.session().now();
  }
  framework::TimePoint start_{};
};

TEST_F(DeviceDialogTest, ConnectsTheFirstDeviceWithBothIdsAboutASecondAfterOpening) {
  AppRun run(
      {FakeDevice{.vendor_id = 0x1234, .product_id = 0x003C, .bootloader = std::nullopt},  // product matches only
       FakeDevice{.vendor_id = 0x04D8, .product_id = 0x0001, .bootloader = std::nullopt},
       FakeDevice{.bootloader = sim::Config{}}, FakeDevice{.bootloader = sim::Config{}}});
  Start(run);
  ASSERT_TRUE(run.session().run_until([&] { return bool(run.session().window("mainWindow")); }));
  EXPECT_EQ(run.session().now() - start_, 1s);
  EXPECT_FALSE(run.session().window("DeviceDialog"));
  EXPECT_EQ(run.link().connections(), 1);
  EXPECT_TRUE(run.link().callback_installed());
  EXPECT_EQ(SearchLines(run),
            (std::vector<std::string>{"VendorID: 1234 ProductID: 3C", "VendorID: 4D8 ProductID: 1",
                                      "VendorID: 4D8 ProductID: 3C", "Ger\xC3\xA4t gefunden.", "Connect OK."}));
  EXPECT_TRUE(run.messages().empty());
}

TEST_F(DeviceDialogTest, SaysNoDeviceFoundOnceAndSearchesOnUntilCancel) {
  AppRun run;
  Start(run);
  // The session's clock moves only from timer to timer, so the message comes
  // exactly when the dialog's ten seconds are up.
  ASSERT_TRUE(run.session().run_until([&] { return !run.messages().empty(); }, 60s));
  EXPECT_EQ(run.session().now() - start_, 10s);
  run.session().run_for(25s);
  EXPECT_EQ(run.messages(), std::vector<std::string>{"No device found."});
  EXPECT_GE(run.link().walks(), 34);
  ASSERT_TRUE(run.session().window("DeviceDialog"));
  ASSERT_TRUE(run.session().press("DeviceDialog.PushButton1"));
  EXPECT_TRUE(run.session().finished());
  EXPECT_EQ(run.session().exit_code(), 0);
  EXPECT_FALSE(run.shown("mainWindow"));
}

TEST_F(DeviceDialogTest, DevicePluggedInLaterIsFoundAtTheNextTick) {
  AppRun run;
  Start(run);
  run.session().run_for(12500ms);
  EXPECT_EQ(run.messages(), std::vector<std::string>{"No device found."});
  run.link().add_device(FakeDevice{.bootloader = sim::Config{}});
  ASSERT_TRUE(run.session().run_until([&] { return bool(run.session().window("mainWindow")); }));
  EXPECT_EQ(run.session().now() - start_, 13s);
}

TEST_F(DeviceDialogTest, FailedConnectSaysSoAndQuits) {
  AppRun run({FakeDevice{.bootloader = sim::Config{}, .connect_error = -536870203}});
  Start(run);
  ASSERT_TRUE(run.run_to_end());
  EXPECT_EQ(run.session().exit_code(), 0);
  EXPECT_EQ(run.messages(), std::vector<std::string>{"Failed to connect to USB device. "});
  const std::vector<std::string> lines = SearchLines(run);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Connect: -536870203");
  EXPECT_FALSE(run.shown("mainWindow"));
}

}  // namespace
