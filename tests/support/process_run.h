#pragma once
// Programs run as child processes: to their end with a time limit, or in the
// background until stopped. stdin is /dev/null in both.

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// Variables set for the child on top of the current environment.
using Environment = std::map<std::string, std::string>;

struct Outcome {
  int exit_code = -1;  // -1: killed, or did not exit normally
  bool timed_out = false;
  std::string out;
  std::string err;
};

// Runs argv (argv[0] a path) and collects what it printed; killed with its
// process group once `limit` has passed. A program that cannot be started
// exits with 127.
Outcome Run(const std::vector<std::string>& argv, const Environment& env = {},
            std::chrono::milliseconds limit = std::chrono::seconds(60));

// A program running in the background until it is stopped (SIGTERM, then
// SIGKILL) or destroyed. Its standard error goes to /dev/null.
class Background {
 public:
  Background(const std::vector<std::string>& argv, const Environment& env = {});
  ~Background();
  Background(const Background&) = delete;
  Background& operator=(const Background&) = delete;

  // The first line of standard output that starts with `prefix`, waiting at
  // most `limit`; nullopt when none came before then or before the output ended.
  std::optional<std::string> WaitForLine(const std::string& prefix, std::chrono::milliseconds limit);
  // Waits at most `limit` for the program to end by itself, then stops it;
  // its exit code (-1 when it had to be killed).
  int Wait(std::chrono::milliseconds limit);
  // Stops the program and returns its exit code (-1 when killed by force).
  int Stop();
  const std::string& out() const { return out_; }

 private:
  // Reads what is there; false once the output has ended.
  bool Drain();
  // True once the program has ended; its exit code is kept.
  bool Reaped();
  // Kills the program's process group.
  void Kill();
  int pid_ = -1;
  int out_fd_ = -1;
  std::string out_;
  int exit_code_ = -1;
};

// Lines of `text` that start with `prefix`.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix);

}  // namespace testsupport
