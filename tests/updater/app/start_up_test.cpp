// The start-up road, the menu bar and the paint rule of both windows.
#include <ostream>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "framework/ui/canvas.h"
#include "framework/ui/label.h"
#include "framework/ui/menu.h"
#include "jpeg_frame.h"
#include "outside_bound.h"
#include "pluginhost/binder.h"
#include "pluginhost/loader.h"
#include "support/app_session.h"
#include "updater/app.h"
#include "updater/device_dialog.h"
#include "updater/main_window.h"
#include "updater/menubar1.h"

namespace {

using apptest::AppRun;
using framework::Canvas;
using framework::DrawCommand;

TEST(StartUpTest, IncompletePackageSaysSoAndQuitsBeforeTheDialog) {
  AppRun run;
  run.bundle().set_package_text("x$1.2$T$1$2");  // no firmware field
  run.start();
  ASSERT_TRUE(run.run_to_end());
  EXPECT_EQ(run.session().exit_code(), 0);
  EXPECT_EQ(run.messages(), std::vector<std::string>{"Application is not complete."});
  EXPECT_FALSE(run.shown("DeviceDialog"));
}

TEST(StartUpTest, CompletePackageOpensTheSearchDialogWithItsTitleAndVersion) {
  AppRun run;
  run.bundle().set_package(apptest::DefaultFields(":00000001FF\r\n"));
  run.start();
  framework::Ref<framework::Window> dialog = run.session().window("DeviceDialog");
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(dialog->modal());
  EXPECT_EQ(dialog->Title().utf8(), "Firmware Updater");
  EXPECT_EQ(dialog->Width(), 400);
  EXPECT_EQ(dialog->Height(), 222);
  auto* version = run.session().control<framework::Label>("DeviceDialog.StaticText1");
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->Text().utf8(), "1.0.0");

  ASSERT_TRUE(run.session().press("DeviceDialog.PushButton1"));
  EXPECT_TRUE(run.session().finished());
  EXPECT_EQ(run.session().exit_code(), 0);
  EXPECT_FALSE(run.shown("mainWindow"));
}

TEST(MenuBar1Test, HoldsFileAndEditInTheirOrder) {
  framework::Ref<updater::MenuBar1> bar = framework::make<updater::MenuBar1>();
  struct Entry {
    std::string name, text, shortcut;
    bool operator==(const Entry&) const = default;
  };
  auto entries = [](const framework::MenuItem& menu) {
    std::vector<Entry> out;
    for (const auto& item : menu.children()) {
      out.push_back({item->Name().utf8(), item->Text().utf8(), item->KeyboardShortcut().utf8()});
      EXPECT_TRUE(item->AutoEnable());
    }
    return out;
  };
  ASSERT_EQ(bar->Count(), 2);
  EXPECT_EQ(entries(*bar), (std::vector<Entry>{{"FileMenu", "File", ""}, {"EditMenu", "Edit", ""}}));
  EXPECT_EQ(entries(*bar->Item(0)), (std::vector<Entry>{{"FileQuit", "Beenden", "Cmd+Q"}}));
  EXPECT_NE(dynamic_cast<framework::QuitMenuItem*>(bar->Item(0)->Item(0).get()), nullptr);
  EXPECT_EQ(entries(*bar->Item(1)), (std::vector<Entry>{{"EditUndo", "Undo", "Cmd+Z"},
                                                        {"UntitledMenu1", "-", ""},
                                                        {"EditCut", "Cut", "Cmd+X"},
                                                        {"EditCopy", "Copy", "Cmd+C"},
                                                        {"EditPaste", "Paste", "Cmd+V"},
                                                        {"EditClear", "Delete", ""},
                                                        {"UntitledMenu0", "-", ""},
                                                        {"EditSelectAll", "Select all", "Cmd+A"}}));
}

// The pictures a canvas drew in its last Paint: destination and source.
std::vector<std::pair<framework::Rect, framework::Rect>> Drawn(const Canvas& canvas) {
  std::vector<std::pair<framework::Rect, framework::Rect>> out;
  for (const DrawCommand& c : canvas.display_list()) {
    if (c.kind == DrawCommand::Kind::DrawPicture) out.emplace_back(c.dest, c.source);
  }
  return out;
}

struct PaintCase {
  friend void PrintTo(const PaintCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  bool vastel;
};

class PaintRuleTest : public testing::TestWithParam<PaintCase> {};

TEST_P(PaintRuleTest, CanvasesStretchTheWholePictureOrDrawNothing) {
  AppRun run({apptest::FakeDevice{.bootloader = sim::Config{}}});
  run.bundle().set_package(apptest::DefaultFields(":00000001FF\r\n"));
  run.bundle().set_vastel(GetParam().vastel);
  run.start();

  const framework::Rect logo_source{0, 0, 128, 128};
  auto check = [&](const char* window, framework::Rect vastel_dest, framework::Rect logo_dest) {
    auto* canvas1 = run.session().control<Canvas>(std::string(window) + ".Canvas1");
    auto* canvas2 = run.session().control<Canvas>(std::string(window) + ".Canvas2");
    ASSERT_NE(canvas1, nullptr);
    ASSERT_NE(canvas2, nullptr);
    canvas1->RefreshRect(1, 1, 2, 2);  // a small area still gets the whole picture
    if (GetParam().vastel) {
      ASSERT_EQ(Drawn(*canvas1).size(), 1u);
      EXPECT_EQ(Drawn(*canvas1)[0].first, vastel_dest);
      EXPECT_EQ(Drawn(*canvas1)[0].second.left, 0);
      EXPECT_GT(Drawn(*canvas1)[0].second.width, 0);
    } else {
      EXPECT_TRUE(Drawn(*canvas1).empty());
    }
    ASSERT_EQ(Drawn(*canvas2).size(), 1u);
    EXPECT_EQ(Drawn(*canvas2)[0].first, logo_dest);
    EXPECT_EQ(Drawn(*canvas2)[0].second.left, logo_source.left);
  };
  check("DeviceDialog", {0, 0, 200, 60}, {0, 0, 128, 128});
  ASSERT_TRUE(run.session().run_until([&] { return bool(run.session().window("mainWindow")); }));
  check("mainWindow", {0, 0, 200, 60}, {0, 0, 128, 128});

  if (!GetParam().vastel) {
    // Missing at first, the picture is looked for again at the next paint.
    run.bundle().set_vastel(true);
    auto* canvas1 = run.session().control<Canvas>("mainWindow.Canvas1");
    canvas1->Refresh();
    EXPECT_EQ(Drawn(*canvas1).size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Pictures, PaintRuleTest,
                         testing::Values(PaintCase{"WithVastel", true}, PaintCase{"WithoutVastel", false}),
                         [](const testing::TestParamInfo<PaintCase>& info) { return info.param.name; });

// The outside plug-in itself, loaded once, its members bound as start-up
// binds them: the package read as the bundles read it.
const updater::OutsideMembers& OutsidePlugIn() {
  static const updater::OutsideMembers members = [] {
    pluginhost::load_plugins(UPDATER_TEST_OUTSIDE_PLUGINS);
    pluginhost::Binder binder;
    updater::OutsideMembers m = updater::bundle::DeclareOutsideMembers(binder);
    const std::vector<std::string> unresolved = binder.bind();
    EXPECT_TRUE(unresolved.empty()) << unresolved.front();
    return m;
  }();
  return members;
}

// The run's debug log lines that name the file.
std::vector<std::string> LinesNaming(const AppRun& run, const std::filesystem::path& file) {
  std::vector<std::string> out;
  for (const std::string& line : run.debug_lines())
    if (line.find(file.string()) != std::string::npos) out.push_back(line);
  return out;
}

void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

struct UnreadableCase {
  friend void PrintTo(const UnreadableCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::function<void(apptest::TestBundle&)> make;
  const char* cause;
};

class UnreadablePackageTest : public testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadablePackageTest, SaysSoAndLogsWhichFileAndWhy) {
  AppRun run;
  run.bound().outside = OutsidePlugIn();
  GetParam().make(run.bundle());
  run.start();
  ASSERT_TRUE(run.run_to_end());

  EXPECT_EQ(run.messages(), std::vector<std::string>{"Application is not complete."});
  EXPECT_FALSE(run.shown("DeviceDialog"));
  const std::filesystem::path logo = run.bundle().resources() / "logo.jpg";
  EXPECT_EQ(LinesNaming(run, logo),
            std::vector<std::string>{"JPEGImporterQVX: " + logo.string() + ": " + GetParam().cause});
}

std::string PackageCutInsideItsProfile(const apptest::TestBundle& bundle) {
  std::ifstream in(bundle.resources() / "logo.jpg", std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::size_t tag = bytes.find("ICC_PROFILE");
  EXPECT_NE(tag, std::string::npos);
  return bytes.substr(0, tag + 20);
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnreadablePackageTest,
    testing::Values(
        UnreadableCase{"Missing", [](apptest::TestBundle&) {}, "cannot be opened: No such file or directory"},
        UnreadableCase{"Empty", [](apptest::TestBundle& b) { WriteBytes(b.resources() / "logo.jpg", ""); },
                       "the file is empty"},
        UnreadableCase{"NotAJpeg",
                       [](apptest::TestBundle& b) { WriteBytes(b.resources() / "logo.jpg", "hello world\n"); },
                       "not a JPEG file"},
        UnreadableCase{"Truncated",
                       [](apptest::TestBundle& b) {
                         b.set_package(apptest::DefaultFields(":00000001FF\r\n"));
                         WriteBytes(b.resources() / "logo.jpg", PackageCutInsideItsProfile(b));
                       },
                       "the file ends before its image data"},
        UnreadableCase{"WithoutProfile", [](apptest::TestBundle& b) { b.set_package_text(std::nullopt); },
                       "no profile data"}),
    [](const testing::TestParamInfo<UnreadableCase>& info) { return info.param.name; });

// The JPEG's frame header set to claim width x height; the image data stays.
void ClaimSize(std::string& jpeg, unsigned width, unsigned height) {
  if (!testsupport::ClaimPictureSize(jpeg, width, height)) ADD_FAILURE() << "no frame header";
}

// A picture whose header claims more than a logo ever needs is passed over;
// the package in its profile still serves.
TEST(StartUpTest, PackageWithTooLargeAPictureStillServesWithoutALogo) {
  AppRun run;
  run.bound().outside = OutsidePlugIn();
  run.bundle().set_package(apptest::DefaultFields(":00000001FF\r\n"));
  const std::filesystem::path logo = run.bundle().resources() / "logo.jpg";
  std::ifstream in(logo, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  in.close();
  ClaimSize(bytes, 8192, 8192);
  WriteBytes(logo, bytes);
  run.start();

  auto* canvas2 = run.session().control<Canvas>("DeviceDialog.Canvas2");
  ASSERT_NE(canvas2, nullptr);
  canvas2->Refresh();
  EXPECT_TRUE(Drawn(*canvas2).empty());
  EXPECT_EQ(run.session().window("DeviceDialog")->Title().utf8(), "Firmware Updater");
  EXPECT_EQ(LinesNaming(run, logo),
            std::vector<std::string>{"JPEGImporterQVX: " + logo.string() +
                                     ": cannot decode picture: picture of 8192x8192 pixels is larger than accepted"});
  ASSERT_TRUE(run.session().press("DeviceDialog.PushButton1"));
  EXPECT_TRUE(run.session().finished());
}

}  // namespace
