#include "framework/system.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <utility>

namespace framework::System {
namespace {

struct Log {
  std::mutex mutex;
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
  const std::string line = message.utf8();
  const std::string out = line + "\n";
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
}

void SetDebugLogSink(DebugLogSink sink) {
  std::lock_guard lock(log().mutex);
  std::swap(log().sink, sink);
}

}  // namespace framework::System
