// The start-up road, the menu bar and the paint rule of both windows.
#include <ostream>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ui/canvas.h"
#include "framework/ui/label.h"
#include "framework/ui/menu.h"
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

}  // namespace
