// The built bundles, started as whole processes, headless.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "jpeg_frame.h"
#include "support/bundle_copy.h"

namespace {

using e2e::BundleCopy;
using testsupport::LinesStartingWith;

class BundleStartUpTest : public testing::TestWithParam<const char*> {};

TEST_P(BundleStartUpTest, IncompletePackageSaysSoAndExitsZero) {
  BundleCopy bundle(GetParam());
  bundle.set_package_text("x$1.0$Title$&h04D8$&h003C");  // no firmware
  const testsupport::Outcome o = bundle.RunHeadless("");
  EXPECT_EQ(o.exit_code, 0) << o.err;
  EXPECT_EQ(LinesStartingWith(o.out, "msgbox "), std::vector<std::string>{"msgbox \"Application is not complete.\""});
  EXPECT_TRUE(LinesStartingWith(o.out, "window DeviceDialog").empty());
}

TEST_P(BundleStartUpTest, SamplePackageReachesTheSearchDialogWithItsTitleAndVersion) {
  BundleCopy bundle(GetParam());
  const testsupport::Outcome o = bundle.RunHeadless("screenshot dialog\npress DeviceDialog.PushButton1\n");
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
  const testsupport::Outcome o = bundle.RunHeadless("menu FileQuit\n");
  EXPECT_EQ(o.exit_code, 0) << o.err;
  EXPECT_TRUE(LinesStartingWith(o.out, "msgbox ").empty());
}

INSTANTIATE_TEST_SUITE_P(Bundles, BundleStartUpTest, testing::Values("updater", "updater-diag"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return info.param == std::string("updater") ? "Shipped" : "Diagnostic";
                         });

}  // namespace

namespace {

// A vendor without the package maker: mask the fields, then embed them with
// jpegtran -icc. The updater reads that package as it reads the sample.
TEST(BundlePackageTest, PackageMadeWithJpegtranAloneReadsTheSame) {
  BundleCopy bundle("updater");
  testsupport::ScratchDir dir;
  const std::string text = "made by hand$3.1.4$Hand-made package$&h04D8$&h003C$:00000001FF\r\n";
  std::string masked = text;
  for (char& c : masked) c = char(c ^ 'K');
  testsupport::WriteText(dir / "fields.icc", masked);
  const testsupport::Outcome made =
      testsupport::Run({"/bin/sh", "-c",
                        std::string(JPEGTRAN_PATH) + " -copy none -icc '" + (dir / "fields.icc").string() + "' '" +
                            UPDATER_LOGO_PICTURE_PATH + "' > '" + (bundle.resources() / "logo.jpg").string() + "'"},
                       {}, std::chrono::seconds(30));
  ASSERT_EQ(made.exit_code, 0) << made.err;

  const testsupport::Outcome o = bundle.RunHeadless("screenshot dialog\npress DeviceDialog.PushButton1\n");
  EXPECT_EQ(o.exit_code, 0) << o.err;
  EXPECT_EQ(LinesStartingWith(o.out, "  window DeviceDialog "),
            std::vector<std::string>{"  window DeviceDialog \"Hand-made package\" 40,60 400x222 modal"});
  EXPECT_EQ(LinesStartingWith(o.out, "  label DeviceDialog.StaticText1 "),
            std::vector<std::string>{"  label DeviceDialog.StaticText1 \"3.1.4\" 20,182 256x20"});
}

// The largest resident size of the children this process has waited for.
long PeakOfChildrenKiB() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_maxrss;
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The frame header set to claim width x height; the image data stays.
void ClaimSize(const std::filesystem::path& file, unsigned width, unsigned height) {
  std::string jpeg = ReadBytes(file);
  if (!testsupport::ClaimPictureSize(jpeg, width, height)) {
    ADD_FAILURE() << "no frame header in " << file;
    return;
  }
  testsupport::WriteText(file, jpeg);
}

struct LargePackageCase {
  friend void PrintTo(const LargePackageCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::function<void(const std::filesystem::path& logo)> make;
  const char* log_line;  // what the debug log says after the file's path; empty: nothing
};

class LargePackageTest : public testing::TestWithParam<LargePackageCase> {};

// A package of a few kilobytes may claim a picture of any size, and a file
// may go on for any length after its picture: the updater stays small.
TEST_P(LargePackageTest, StaysWithin256MiBAndServes) {
  BundleCopy bundle("updater");
  const std::filesystem::path logo = bundle.resources() / "logo.jpg";
  GetParam().make(logo);

  const testsupport::Outcome o = bundle.RunHeadless("press DeviceDialog.PushButton1\n");

  EXPECT_EQ(o.exit_code, 0) << o.err;
  EXPECT_EQ(LinesStartingWith(o.out, "window DeviceDialog shown").size(), 1u) << o.out;
  EXPECT_LE(PeakOfChildrenKiB(), 256 * 1024);
  const std::vector<std::string> lines = LinesStartingWith(o.err, "JPEGImporterQVX: ");
  if (*GetParam().log_line == '\0')
    EXPECT_TRUE(lines.empty()) << o.err;
  else
    EXPECT_EQ(lines, std::vector<std::string>{"JPEGImporterQVX: " + logo.string() + ": " + GetParam().log_line});
}

INSTANTIATE_TEST_SUITE_P(
    Packages, LargePackageTest,
    testing::Values(LargePackageCase{"PictureClaiming8192x8192", [](const auto& logo) { ClaimSize(logo, 8192, 8192); },
                                     "cannot decode picture: picture of 8192x8192 pixels is larger than accepted"},
                    // Sparse: the file takes no room on disk.
                    LargePackageCase{"300MiBAfterThePicture",
                                     [](const auto& logo) {
                                       std::filesystem::resize_file(logo,
                                                                    std::filesystem::file_size(logo) + (300u << 20));
                                     },
                                     ""}),
    [](const testing::TestParamInfo<LargePackageCase>& info) { return std::string(info.param.name); });

}  // namespace
