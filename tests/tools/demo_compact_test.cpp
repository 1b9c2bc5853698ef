#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "process_run.h"
#include "scratch_dir.h"

namespace {

// Two bars: the first held at 20, 49 and 130, the second starting again at 0
// and given 60 twice, which is the same bar going on.
const char kTwoBars[] =
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
    "progress mainWindow.bar 60\n"
    "progress mainWindow.bar 70\n"
    "msgbox \"Update done.\"\n"
    "progress mainWindow.bar 80\n"
    "progress mainWindow.bar 90\n";

// A line per tenth (50) of the bar, the last one before any other line and
// at the end, none twice.
const char kTwoBarsShort[] =
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

// A value held before two other lines, and a bar that ends full, at a tenth.
const char kEndsFull[] =
    "window mainWindow shown\n"
    "progress mainWindow.bar 0\n"
    "progress mainWindow.bar 30\n"
    "label mainWindow.info \"Erasing device...\"\n"
    "label mainWindow.info \"Writing device...\"\n"
    "progress mainWindow.bar 40\n"
    "progress mainWindow.bar 500\n";

// 30 once, before the first of the two lines; 500 once, as a tenth.
const char kEndsFullShort[] =
    "window mainWindow shown\n"
    "progress mainWindow.bar 0\n"
    "progress mainWindow.bar 30\n"
    "label mainWindow.info \"Erasing device...\"\n"
    "label mainWindow.info \"Writing device...\"\n"
    "progress mainWindow.bar 500\n";

struct TranscriptCase {
  const char* name;
  const char* transcript;
  const char* short_transcript;
};

void PrintTo(const TranscriptCase& c, std::ostream* os) { *os << c.name; }

class DemoCompactTest : public testing::TestWithParam<TranscriptCase> {};

TEST_P(DemoCompactTest, KeepsATenthOfTheBarAndTheValueBeforeEachOtherLine) {
  testsupport::ScratchDir dir;
  testsupport::WriteText(dir / "transcript.txt", GetParam().transcript);

  const testsupport::Outcome run =
      testsupport::Run({DEMO_COMPACT_PATH, (dir / "transcript.txt").string()}, {}, std::chrono::seconds(20));

  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, GetParam().short_transcript);
}

INSTANTIATE_TEST_SUITE_P(Transcripts, DemoCompactTest,
                         testing::Values(TranscriptCase{"TwoBars", kTwoBars, kTwoBarsShort},
                                         TranscriptCase{"EndsFull", kEndsFull, kEndsFullShort}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
