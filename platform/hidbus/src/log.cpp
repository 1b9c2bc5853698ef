#include "internal.h"

#include <cstdio>
#include <cstring>
#include <mutex>

namespace hidbus {
namespace {

std::mutex sink_mutex;
std::function<void(const std::string&)> sink;

}  // namespace

void set_log_sink(std::function<void(const std::string&)> new_sink) {
  std::lock_guard lock(sink_mutex);
  sink = std::move(new_sink);
}

namespace detail {

void log(const std::string& line) {
  std::lock_guard lock(sink_mutex);
  if (sink) {
    sink(line);
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

std::string errno_text(int err) {
  char buffer[256];
  // The GNU variant may return a static string instead of filling the buffer.
  return strerror_r(err, buffer, sizeof buffer);
}

}  // namespace detail
}  // namespace hidbus
