#include "framework/system.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "debug_log_capture.h"
#include "scratch_dir.h"

#ifdef __SANITIZE_THREAD__
// Some tests below silence standard error while threads log: a race found then
// is reported on standard output, where it still shows.
extern "C" const char* __tsan_default_options() { return "log_path=stdout"; }
#endif

namespace framework {
namespace {

std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Standard error to /dev/null while it lives, for lines that need not be seen.
class QuietStderr {
 public:
  QuietStderr() : saved_(dup(STDERR_FILENO)) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    close(null);
  }
  ~QuietStderr() {
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }

 private:
  int saved_;
};

TEST(DebugLogTest, HandsLinesToTheSinkAndAppendsToTheNamedFile) {
  const testsupport::ScratchDir dir;
  const std::filesystem::path file = dir / "debug.log";
  { std::ofstream(file) << "earlier\n"; }
  ASSERT_EQ(setenv("FRAMEWORK_DEBUGLOG", file.c_str(), 1), 0);
  const testsupport::DebugLogCapture log;
  System::DebugLog("Start...");
  System::DebugLog(String::from_bytes("Lasterror after SendMessage -1", Encodings.ASCII));
  System::DebugLog(String::from_bytes("\x8E", Encodings.MacRoman));
  unsetenv("FRAMEWORK_DEBUGLOG");
  System::DebugLog("not in the file");

  EXPECT_EQ(log.lines(),
            (std::vector<std::string>{"Start...", "Lasterror after SendMessage -1", "\xC3\xA9", "not in the file"}));
  EXPECT_EQ(read_file(file), "earlier\nStart...\nLasterror after SendMessage -1\n\xC3\xA9\n");
}

// The log keeps nothing for a sink to come, and a sink that is replaced or
// uninstalled takes no more lines.
TEST(DebugLogTest, ASinkTakesOnlyTheLinesLoggedWhileItIsInstalled) {
  System::DebugLog("before any sink");
  std::vector<std::string> first;
  std::vector<std::string> second;
  System::SetDebugLogSink([&](const std::string& line) { first.push_back(line); });
  System::DebugLog("one");
  System::SetDebugLogSink([&](const std::string& line) { second.push_back(line); });
  System::DebugLog("two");
  System::SetDebugLogSink({});
  System::DebugLog("after the sink");

  EXPECT_EQ(first, std::vector<std::string>{"one"});
  EXPECT_EQ(second, std::vector<std::string>{"two"});
}

// Threads that log at once: the sink is called under the log's lock, so it
// needs no lock of its own, and each thread's lines come once, in order.
TEST(DebugLogTest, LinesOfSeveralThreadsReachTheSinkOnceEachInOrder) {
  constexpr int kThreads = 4;
  constexpr int kLines = 2000;
  std::vector<std::string> all;
  System::SetDebugLogSink([&](const std::string& line) { all.push_back(line); });
  {
    const QuietStderr quiet;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([t] {
        for (int i = 0; i < kLines; ++i) System::DebugLog(String(std::to_string(t) + " " + std::to_string(i)));
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  System::SetDebugLogSink({});

  ASSERT_EQ(all.size(), std::size_t(kThreads * kLines));
  std::vector<std::vector<int>> seen(kThreads);
  for (const std::string& line : all) seen.at(std::stoul(line.substr(0, 1))).push_back(std::stoi(line.substr(2)));
  std::vector<int> expected(kLines);
  for (int i = 0; i < kLines; ++i) expected[i] = i;
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(seen[t], expected) << "thread " << t;
}

// Threads log while the sink is replaced again and again: each line reaches
// exactly one sink, and a sink that has been replaced takes no line after.
// The sinks count without a lock of their own, as the log's lock lets them.
TEST(DebugLogTest, ASinkReplacedWhileThreadsLogTakesNoLineAfter) {
  constexpr int kThreads = 4;
  constexpr int kLines = 500;
  constexpr int kSinks = 200;
  std::vector<int> taken(kSinks, 0);
  std::vector<int> taken_when_replaced(kSinks, 0);
  const auto counting = [&taken](int sink) { return [&taken, sink](const std::string&) { ++taken[sink]; }; };
  System::SetDebugLogSink(counting(0));
  {
    const QuietStderr quiet;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([] {
        for (int i = 0; i < kLines; ++i) System::DebugLog("a line");
      });
    }
    for (int sink = 1; sink < kSinks; ++sink) {
      System::SetDebugLogSink(counting(sink));
      taken_when_replaced[sink - 1] = taken[sink - 1];
    }
    for (std::thread& thread : threads) thread.join();
  }
  System::SetDebugLogSink({});
  taken_when_replaced[kSinks - 1] = taken[kSinks - 1];

  int total = 0;
  for (int sink = 0; sink < kSinks; ++sink) {
    total += taken[sink];
    EXPECT_EQ(taken[sink], taken_when_replaced[sink]) << "sink " << sink;
  }
  EXPECT_EQ(total, 2000);  // 4 threads of 500 lines
}

}  // namespace
}  // namespace framework
