#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "process_run.h"
#include "scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::Outcome;
using testsupport::ScratchDir;
using testsupport::WriteText;

// A stand-in formatter that objects to the script's probe line, as the real
// one does, and then ends with `exit_code` on the tree's files without a word.
std::string FakeFormatter(int exit_code) {
  return "#!/bin/sh\n"
         "for a; do\n"
         "  case \"$a\" in --assume-filename=*)\n"
         "    echo \"probe.cpp:1:4: error: code should be clang-formatted [-Wclang-format-violations]\" >&2\n"
         "    exit 1 ;;\n"
         "  esac\n"
         "done\n"
         "exit " +
         std::to_string(exit_code) + "\n";
}

struct FormatCase {
  const char* name;
  int fake_exit_code;  // -1: the real clang-format-14
  const char* source;  // the tree's one file, a.cpp
  int exit_code;
  const char* err;  // part of standard error; "" for none at all
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class CheckFormatTest : public testing::TestWithParam<FormatCase> {};

// The script run from a copy in a git tree of one file, with the formatter of
// the row first on PATH: a formatter that fails is no pass.
TEST_P(CheckFormatTest, PassesOnlyWhenTheFormatterCheckedEveryFile) {
  const FormatCase& c = GetParam();
  ScratchDir dir;
  const fs::path tree = dir / "tree";
  fs::create_directories(tree / "scripts");
  fs::copy_file(CHECK_FORMAT_PATH, tree / "scripts" / "check-format");
  fs::permissions(tree / "scripts" / "check-format", fs::perms::owner_all);
  fs::copy_file(CLANG_FORMAT_STYLE_PATH, tree / ".clang-format");
  WriteText(tree / "a.cpp", c.source);
  ASSERT_EQ(testsupport::Run({GIT_PATH, "-C", tree.string(), "init", "-q"}).exit_code, 0);
  ASSERT_EQ(testsupport::Run({GIT_PATH, "-C", tree.string(), "add", "a.cpp"}).exit_code, 0);

  const fs::path formatter = dir / "bin" / "clang-format-14";
  if (c.fake_exit_code < 0) {
    fs::create_directories(formatter.parent_path());
    fs::create_symlink(CLANG_FORMAT_PATH, formatter);
  } else {
    WriteText(formatter, FakeFormatter(c.fake_exit_code));
    fs::permissions(formatter, fs::perms::owner_all);
  }
  const char* path = std::getenv("PATH");
  const Outcome run = testsupport::Run(
      {(tree / "scripts" / "check-format").string()},
      {{"PATH", formatter.parent_path().string() + ":" + (path ? path : "")}, {"JOBS", "1"}}, std::chrono::seconds(60));

  EXPECT_EQ(run.exit_code, c.exit_code) << run.err;
  if (*c.err == '\0') {
    EXPECT_EQ(run.err, "");
  } else {
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
  }
}

const char kClean[] = "int main() { return 0; }\n";

INSTANTIATE_TEST_SUITE_P(
    Formatters, CheckFormatTest,
    testing::Values(
        FormatCase{"RealFindsTheTreeClean", -1, kClean, 0, ""},
        FormatCase{"RealNamesTheFileThatDiffers", -1, "int  x;\n", 1,
                   "scripts/check-format: these files differ from .clang-format (run clang-format-14 -i on them):\n"
                   "  a.cpp\n"},
        FormatCase{"FakeExitsOneSilently", 1, kClean, 1,
                   "scripts/check-format: clang-format-14 failed without naming a file that differs; "
                   "the format is not checked\n"},
        FormatCase{"FakeExits127", 127, kClean, 1,
                   "scripts/check-format: clang-format-14 failed without naming a file that differs; "
                   "the format is not checked\n"},
        FormatCase{"FakeExits255", 255, kClean, 1,
                   "scripts/check-format: clang-format-14 exited with 255; the format is not checked\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
