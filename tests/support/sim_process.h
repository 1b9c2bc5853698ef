#pragma once
// A bootloader-sim process, started and seen ready: its first line of output
// was "ready <path>". It is stopped (SIGTERM, so it writes its dump) at the
// end of its scope.

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "process_run.h"

namespace testsupport {

// The program did not say it was ready in time; what() says what it printed.
class SimNotReady : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SimProcess {
 public:
  // Starts `program` with `options` and `env` on top of the environment (its
  // HIDBUS_VIRTUAL_DIR says where it serves), and waits at most `limit` for
  // its ready line. Throws SimNotReady when none came: the first line was
  // something else, the output ended, or the time ran out.
  SimProcess(const std::string& program, const std::vector<std::string>& options, const Environment& env,
             std::chrono::milliseconds limit = std::chrono::seconds(10));

  // "ready <path>".
  const std::string& ready_line() const { return ready_; }
  // The device's path on the bus, from the ready line.
  std::string path() const { return ready_.substr(kReady.size()); }

  // Background::Wait and Stop: its exit code, -1 when it had to be killed.
  int Wait(std::chrono::milliseconds limit) { return process_.Wait(limit); }
  int Stop() { return process_.Stop(); }

 private:
  static inline const std::string kReady = "ready ";
  Background process_;
  std::string ready_;
};

}  // namespace testsupport
