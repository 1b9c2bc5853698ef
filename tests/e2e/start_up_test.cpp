// The built bundles, started as whole processes, headless.
#include <gtest/gtest.h>

#include <string>

#include "support/bundle_copy.h"

namespace {

using e2e::BundleCopy;
using e2e::LinesStartingWith;

class BundleStartUpTest : public testing::TestWithParam<const char*> {};

TEST_P(BundleStartUpTest, IncompletePackageSaysSoAndExitsZero) {
  BundleCopy bundle(GetParam());
  bundle.set_package_text("x$1.0$Title$&h04D8$&h003C");  // no firmware
  const e2e::Outcome o = bundle.RunHeadless("");
  EXPECT_EQ(o.exit_code, 0) << o.err;
  EXPECT_EQ(LinesStartingWith(o.out, "msgbox "),
            std::vector<std::string>{"msgbox \"Application is not complete.\""});
  EXPECT_TRUE(LinesStartingWith(o.out, "window DeviceDialog").empty());
}

TEST_P(BundleStartUpTest, SamplePackageReachesTheSearchDialogWithItsTitleAndVersion) {
  BundleCopy bundle(GetParam());
  const e2e::Outcome o = bundle.RunHeadless("screenshot dialog\npress DeviceDialog.PushButton1\n");
  EXPECT_EQ(o.exit_code, 0) << o.err;
  EXPECT_EQ(LinesStartingWith(o.out, "  window DeviceDialog "),
            std::vector<std::string>{"  window DeviceDialog \"Firmware Updater\" 40,60 400x222 modal"});
  EXPECT_EQ(LinesStartingWith(o.out, "  label DeviceDialog.StaticText1 "),
            std::vector<std::string>{"  label DeviceDialog.StaticText1 \"1.0.0\" 20,182 256x20"});
  // Both pictures are in the bundle: each canvas stretches its own.
  EXPECT_EQ(LinesStartingWith(o.out, "  canvas DeviceDialog.Canvas1 ").size(), 1u);
  EXPECT_NE(o.out.find("into 0,0 200x60"), std::string::npos);
  EXPECT_NE(o.out.find("into 0,0 128x128"), std::string::npos);
  EXPECT_TRUE(LinesStartingWith(o.out, "window mainWindow").empty());
}

TEST_P(BundleStartUpTest, QuitItemEndsTheSearch) {
  BundleCopy bundle(GetParam());
  const e2e::Outcome o = bundle.RunHeadless("menu FileQuit\n");
  EXPECT_EQ(o.exit_code, 0) << o.err;
  EXPECT_TRUE(LinesStartingWith(o.out, "msgbox ").empty());
}

INSTANTIATE_TEST_SUITE_P(Bundles, BundleStartUpTest, testing::Values("updater", "updater-diag"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return info.param == std::string("updater") ? "Shipped" : "Diagnostic";
                         });

}  // namespace
