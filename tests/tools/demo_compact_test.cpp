#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "process_run.h"
#include "scratch_dir.h"

namespace {

// Two bars: the first held at 20, 49 and 130, the second starting again at 0.
const char kTranscript[] =
    "window mainWindow shown\n"
    "progress mainWindow.bar 0\n"
    "progress mainWindow.bar 20\n"
    "progress mainWindow.bar 49\n"
    "progress mainWindow.bar 50\n"
    "label mainWindow.info \"Erasing device...\"\n"
    "progress mainWindow.bar 120\n"
    "progress mainWindow.bar 130\n"
    "label mainWindow.info \"Writing device...\"\n"
    "progress mainWindow.bar 0\n"
    "progress mainWindow.bar 60\n"
    "progress mainWindow.bar 70\n"
    "msgbox \"Update done.\"\n"
    "progress mainWindow.bar 80\n"
    "progress mainWindow.bar 90\n";

// A line per tenth (50) of the bar, the last one before any other line and
// at the end, none twice.
const char kShort[] =
    "window mainWindow shown\n"
    "progress mainWindow.bar 0\n"
    "progress mainWindow.bar 50\n"
    "label mainWindow.info \"Erasing device...\"\n"
    "progress mainWindow.bar 120\n"
    "progress mainWindow.bar 130\n"
    "label mainWindow.info \"Writing device...\"\n"
    "progress mainWindow.bar 0\n"
    "progress mainWindow.bar 60\n"
    "progress mainWindow.bar 70\n"
    "msgbox \"Update done.\"\n"
    "progress mainWindow.bar 90\n";

TEST(DemoCompactTest, KeepsATenthOfTheBarAndTheValueBeforeEachOtherLine) {
  testsupport::ScratchDir dir;
  testsupport::WriteText(dir / "transcript.txt", kTranscript);

  const testsupport::Outcome run =
      testsupport::Run({DEMO_COMPACT_PATH, (dir / "transcript.txt").string()}, {}, std::chrono::seconds(20));

  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, kShort);
}

}  // namespace
