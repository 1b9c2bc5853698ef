#include "debug_log_capture.h"

#include <atomic>
#include <stdexcept>

#include "framework/system.h"

namespace testsupport {
namespace {

std::atomic<bool> capturing{false};

}  // namespace

DebugLogCapture::DebugLogCapture() {
  if (capturing.exchange(true)) throw std::logic_error("a debug log capture is already installed");
  framework::System::SetDebugLogSink([this](const std::string& line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
  });
}

DebugLogCapture::~DebugLogCapture() {
  // Once the sink is gone no thread is in it any more.
  framework::System::SetDebugLogSink({});
  capturing = false;
}

std::vector<std::string> DebugLogCapture::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

void DebugLogCapture::clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

}  // namespace testsupport
