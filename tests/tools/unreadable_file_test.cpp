// The tools read whole files. One that cannot be read (a folder in its place,
// whose read(2) fails with EISDIR) ends with a line that says so and the
// tool's exit code, never an abort; a pipe is read like a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "process_run.h"
#include "scratch_dir.h"

namespace {

using testsupport::Outcome;
using testsupport::ReadText;
using testsupport::ScratchDir;
using testsupport::WriteText;

const std::string kFirmware =
    ":0410000001020304E2\n"
    ":00000001FF\n";
const char kOldPackage[] = "the package made before";

// The folder laid out for each case: fw.hex, dump.hex, logo.jpg (an old
// package) and the folder "folder".
struct ToolCase {
  const char* name;
  std::vector<std::string> (*argv)(const ScratchDir& dir);
  int exit_code;
  const char* out;  // the whole of standard output
  const char* err;  // the whole of standard error; FOLDER stands for the folder's path
};
void PrintTo(const ToolCase& c, std::ostream* os) { *os << c.name; }

std::string Folder(const ScratchDir& dir) { return (dir / "folder").string(); }

class UnreadableFileTest : public testing::TestWithParam<ToolCase> {};

TEST_P(UnreadableFileTest, EndsWithItsLineAndExitCode) {
  ScratchDir dir;
  WriteText(dir / "fw.hex", kFirmware);
  WriteText(dir / "dump.hex", kFirmware);
  WriteText(dir / "logo.jpg", kOldPackage);
  std::filesystem::create_directory(dir / "folder");

  const Outcome run = testsupport::Run(GetParam().argv(dir), {}, std::chrono::seconds(20));

  std::string err = GetParam().err;
  if (auto at = err.find("FOLDER"); at != std::string::npos) err.replace(at, 6, Folder(dir));
  EXPECT_EQ(run.exit_code, GetParam().exit_code) << run.err;
  EXPECT_EQ(run.out, GetParam().out);
  EXPECT_EQ(run.err, err);
  EXPECT_EQ(ReadText(dir / "logo.jpg"), kOldPackage) << "an old package stays as it was";
}

std::vector<std::string> Make(const ScratchDir& dir, const std::string& picture, const std::string& firmware) {
  return {MKPACKAGE_PATH, picture, "1.0", "T", "&h04D8", "&h003C", firmware, (dir / "logo.jpg").string()};
}

INSTANTIATE_TEST_SUITE_P(
    Tools, UnreadableFileTest,
    testing::Values(ToolCase{"CompareMemoryFirmwareIsAFolder",
                             [](const ScratchDir& d) -> std::vector<std::string> {
                               return {COMPARE_MEMORY_PATH, Folder(d), (d / "dump.hex").string(), "0x1000", "0x8000"};
                             },
                             2, "", "compare_memory: cannot read FOLDER: Is a directory\n"},
                    ToolCase{"CompareMemoryDumpIsAFolder",
                             [](const ScratchDir& d) -> std::vector<std::string> {
                               return {COMPARE_MEMORY_PATH, (d / "fw.hex").string(), Folder(d), "0x1000", "0x8000"};
                             },
                             2, "", "compare_memory: cannot read FOLDER: Is a directory\n"},
                    // What cannot be judged by the kind of file: a pipe is read to its end.
                    ToolCase{"CompareMemoryReadsPipes",
                             [](const ScratchDir& d) -> std::vector<std::string> {
                               return {"/bin/bash",
                                       "-c",
                                       "exec \"$0\" <(cat \"$1\") <(cat \"$2\") 0x1000 0x8000",
                                       COMPARE_MEMORY_PATH,
                                       (d / "fw.hex").string(),
                                       (d / "dump.hex").string()};
                             },
                             0, "The device memory matches the firmware: 4 bytes in 0x1000..0x7FFF.\n", ""},
                    ToolCase{"MkpackagePictureIsAFolder",
                             [](const ScratchDir& d) { return Make(d, Folder(d), (d / "fw.hex").string()); }, 1, "",
                             "mkpackage: cannot read FOLDER: Is a directory\n"},
                    ToolCase{"MkpackageFirmwareIsAFolder",
                             [](const ScratchDir& d) { return Make(d, LOGO_PICTURE_PATH, Folder(d)); }, 1, "",
                             "mkpackage: cannot read FOLDER: Is a directory\n"},
                    ToolCase{"MkpackageShowOfAFolder",
                             [](const ScratchDir& d) -> std::vector<std::string> {
                               return {MKPACKAGE_PATH, "--show", Folder(d)};
                             },
                             1, "", "mkpackage: cannot read FOLDER: Is a directory\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
