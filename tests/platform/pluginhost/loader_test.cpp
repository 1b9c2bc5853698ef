#include <cstdlib>
#include <filesystem>

#include "debug_log_capture.h"
#include "framework/folderitem.h"
#include "widget_fixture.h"

namespace {

using namespace widget;

bool Logged(const testsupport::DebugLogCapture& log, const std::string& part) {
  for (const auto& line : log.lines()) {
    if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

TEST(LoaderTest, LoadsPluginsAndNamesFilesThatAreNone) {
  const testsupport::DebugLogCapture log;
  auto ran = pluginhost::load_plugins(TEST_PLUGIN_DIR);
  // Empty when another test of this process loaded the folder before.
  ASSERT_LE(ran.size(), 1u);
  if (!ran.empty()) {
    EXPECT_EQ(ran[0].filename(), "QVXTestWidget.so");
  }
  EXPECT_NE(pluginhost::find_plugin_class("WidgetQVX"), nullptr);
  EXPECT_TRUE(Logged(log, "Plug-in has no REALPluginMain: " TEST_PLUGIN_DIR "/no_main.so"));
  EXPECT_EQ(std::getenv("PLUGINHOST_TEST_NO_MAIN_LOADED"), nullptr) << "looked at without loading it";
  EXPECT_TRUE(Logged(log, "garbage.so"));
  EXPECT_FALSE(Logged(log, "notes.txt"));
  EXPECT_FALSE(Logged(log, "QVXTestWidget.so"));
}

TEST_F(WidgetTest, PluginMainRunsOncePerFile) {
  pluginhost::load_plugins(TEST_PLUGIN_DIR);
  EXPECT_TRUE(pluginhost::load_plugins(TEST_PLUGIN_DIR).empty());
  EXPECT_EQ(m().main_calls(), 1);
}

TEST(LoaderTest, MissingFolderLoadsNothing) {
  const testsupport::DebugLogCapture log;
  EXPECT_TRUE(pluginhost::load_plugins("/nonexistent/plug-ins").empty());
  EXPECT_TRUE(Logged(log, "/nonexistent/plug-ins"));
}

struct FolderCase {
  friend void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.executable; }
  const char* executable;
  const char* folder;
};

class BundleFolderTest : public ::testing::TestWithParam<FolderCase> {
 protected:
  void TearDown() override { framework::set_executable_file(std::nullopt); }
};

TEST_P(BundleFolderTest, FollowsTheBundleLayout) {
  framework::set_executable_file(std::filesystem::path(GetParam().executable));
  EXPECT_EQ(pluginhost::bundle_plugin_folder(), std::filesystem::path(GetParam().folder));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, BundleFolderTest,
    ::testing::Values(FolderCase{"/opt/updater.app/Contents/MacOS/updater", "/opt/updater.app/Contents/Frameworks"},
                      FolderCase{"/opt/win/updater-win", "/opt/win/Updater Libs"},
                      FolderCase{"/opt/Contents/MacOS/updater", "/opt/Contents/MacOS/Updater Libs"}));

}  // namespace
