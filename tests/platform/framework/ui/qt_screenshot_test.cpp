#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "process_run.h"
#include "scratch_dir.h"

namespace {

namespace fs = std::filesystem;

bool near(QColor a, QColor b) {
  return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 && std::abs(a.blue() - b.blue()) < 40;
}

class QtScreenshotTest : public ::testing::Test {
 protected:
  int run_sample(const std::string& script, const std::string& program = UI_SAMPLE) {
    fs::path file = dir_ / "script.txt";
    std::ofstream(file) << script;
    run_ = testsupport::Run({program},
                            {{"FRAMEWORK_UI", "qt"},
                             {"QT_QPA_PLATFORM", "offscreen"},
                             {"FRAMEWORK_SCRIPT", file.string()},
                             {"FRAMEWORK_SCREENSHOTS", (dir_ / "shots").string()}},
                            std::chrono::seconds(60));
    return run_.exit_code;
  }

  // What the last run printed, standard output first.
  std::string output() const { return run_.out + run_.err + (run_.timed_out ? "(stopped: out of time)\n" : ""); }

  const testsupport::ScratchDir scratch_;
  const fs::path dir_ = scratch_.path();
  testsupport::Outcome run_;
};

TEST_F(QtScreenshotTest, WithoutTheModuleQtCannotStart) {
  EXPECT_EQ(run_sample("menu FileQuit\n", UI_SAMPLE_WITHOUT_QT), 2);
  EXPECT_NE(output().find("FRAMEWORK_UI=qt: cannot load the Qt backend: libframework_ui_qt.so.1"), std::string::npos)
      << output();
}

TEST_F(QtScreenshotTest, SampleWindowShowsItsCanvasPictureStretched) {
  ASSERT_EQ(run_sample("screenshot start\nmenu FileQuit\n"), 0) << output();
  QImage shot(QString::fromStdString((dir_ / "shots" / "start-sampleWindow.png").string()));
  ASSERT_FALSE(shot.isNull()) << output();
  EXPECT_EQ(shot.width(), 320);
  EXPECT_EQ(shot.height(), 160);
  // The canvas is 80 x 60 at 220, 14; the 40 x 20 picture's quarters fill it.
  EXPECT_TRUE(near(shot.pixelColor(240, 29), Qt::red)) << shot.pixelColor(240, 29).name().toStdString();
  EXPECT_TRUE(near(shot.pixelColor(280, 29), Qt::green)) << shot.pixelColor(280, 29).name().toStdString();
  EXPECT_TRUE(near(shot.pixelColor(240, 59), Qt::blue)) << shot.pixelColor(240, 59).name().toStdString();
  EXPECT_TRUE(near(shot.pixelColor(280, 59), Qt::yellow)) << shot.pixelColor(280, 59).name().toStdString();
  EXPECT_TRUE(near(shot.pixelColor(5, 150), Qt::white)) << "window background";
  EXPECT_TRUE(fs::exists(dir_ / "shots" / "quit-sampleWindow.png"));
}

TEST_F(QtScreenshotTest, ScriptedPressAndMessageBoxRunUnderQt) {
  ASSERT_EQ(run_sample("type sampleWindow.name Qt\npress sampleWindow.GoButton\nscreenshot after\nmenu FileQuit\n"), 0)
      << output();
  EXPECT_TRUE(fs::exists(dir_ / "shots" / "after-sampleWindow.png")) << output();
}

}  // namespace
