#include "framework/system.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <fcntl.h>
#include <unistd.h>

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

// Lines as long as a device's largest report in hex, without end: only the
// newest are kept, within a bound of their text.
TEST(DebugLogTest, KeepsTheNewestLinesWithinFourMiB) {
  System::clear_debug_log();
  const int err = dup(STDERR_FILENO);  // the lines need not be seen
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, STDERR_FILENO);
  constexpr std::size_t kLine = 2048 + 13;
  constexpr int kLogged = 4000;  // about 8 MiB
  for (int i = 0; i < kLogged; ++i) System::DebugLog(String(std::to_string(i) + ": " + std::string(kLine, 'A')));
  dup2(err, STDERR_FILENO);
  close(err);
  close(null);

  const std::vector<std::string> kept = System::debug_log_lines();
  std::size_t bytes = 0;
  for (const std::string& line : kept) bytes += line.size();
  EXPECT_LE(bytes, std::size_t(4) << 20);
  EXPECT_GE(bytes, (std::size_t(4) << 20) - 2 * kLine);
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(kept.back().substr(0, 6), std::to_string(kLogged - 1) + ": ");
  System::clear_debug_log();
}

}  // namespace
}  // namespace framework
