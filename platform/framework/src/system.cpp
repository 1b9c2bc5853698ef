#include "framework/system.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <mutex>
#include <utility>

namespace framework::System {
namespace {

// A device can have a line logged for every report it sends: what is kept is
// bounded by its text as well as by its lines.
constexpr std::size_t kKeptLines = 100000;
constexpr std::size_t kKeptBytes = 4 << 20;

struct Log {
  std::mutex mutex;
  std::deque<std::string> lines;
  std::size_t bytes = 0;  // of the kept lines
  DebugLogSink sink;
};

Log& log() {
  static Log* l = new Log;
  return *l;
}

void write_all(int fd, const std::string& text) {
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n <= 0) return;  // the log is best effort; nothing to report a failure to
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

}  // namespace

void DebugLog(const String& message) {
  std::string line = message.utf8();
  std::string out = line + "\n";
  std::lock_guard lock(log().mutex);
  write_all(STDERR_FILENO, out);
  if (const char* path = std::getenv("FRAMEWORK_DEBUGLOG"); path && *path) {
    int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) {
      write_all(fd, out);
      ::close(fd);
    }
  }
  if (log().sink) log().sink(line);
  Log& kept = log();
  kept.bytes += line.size();
  kept.lines.push_back(std::move(line));
  while (kept.lines.size() > 1 && (kept.lines.size() > kKeptLines || kept.bytes > kKeptBytes)) {
    kept.bytes -= kept.lines.front().size();
    kept.lines.pop_front();
  }
}

void SetDebugLogSink(DebugLogSink sink) {
  std::lock_guard lock(log().mutex);
  std::swap(log().sink, sink);
}

std::vector<std::string> debug_log_lines() {
  std::lock_guard lock(log().mutex);
  return {log().lines.begin(), log().lines.end()};
}

void clear_debug_log() {
  std::lock_guard lock(log().mutex);
  log().lines.clear();
  log().bytes = 0;
}

}  // namespace framework::System
