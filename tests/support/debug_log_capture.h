#pragma once
// The debug log's lines as a test sees them: from the capture's start on,
// collected through the framework's debug log sink.

#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

// Installs itself as the debug log sink and collects every line logged, on any
// thread, until it is destroyed. One at a time: a second capture while one is
// alive throws std::logic_error, since it would take the first one's lines.
class DebugLogCapture {
 public:
  DebugLogCapture();
  ~DebugLogCapture();
  DebugLogCapture(const DebugLogCapture&) = delete;
  DebugLogCapture& operator=(const DebugLogCapture&) = delete;

  // The lines collected since the start or the last clear(), as UTF-8.
  std::vector<std::string> lines() const;
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace testsupport
