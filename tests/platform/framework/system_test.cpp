#include "framework/system.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "scratch_dir.h"

namespace framework {
namespace {

std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(DebugLogTest, KeepsLinesAndAppendsToTheNamedFile) {
  const testsupport::ScratchDir dir;
  const std::filesystem::path file = dir / "debug.log";
  { std::ofstream(file) << "earlier\n"; }
  ASSERT_EQ(setenv("FRAMEWORK_DEBUGLOG", file.c_str(), 1), 0);
  System::clear_debug_log();
  System::DebugLog("Start...");
  System::DebugLog(String::from_bytes("Lasterror after SendMessage -1", Encodings.ASCII));
  System::DebugLog(String::from_bytes("\x8E", Encodings.MacRoman));
  unsetenv("FRAMEWORK_DEBUGLOG");
  System::DebugLog("not in the file");

  EXPECT_EQ(System::debug_log_lines(),
            (std::vector<std::string>{"Start...", "Lasterror after SendMessage -1", "\xC3\xA9", "not in the file"}));
  EXPECT_EQ(read_file(file), "earlier\nStart...\nLasterror after SendMessage -1\n\xC3\xA9\n");
  System::clear_debug_log();
  EXPECT_TRUE(System::debug_log_lines().empty());
}

}  // namespace
}  // namespace framework
