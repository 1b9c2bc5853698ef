#pragma once
// Whole processes for the end-to-end runs: the updater bundle, run to its end
// with a time limit, and bootloader-sim, run in the background.

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace e2e {

using Environment = std::map<std::string, std::string>;

struct Outcome {
  int exit_code = -1;  // -1: killed or did not exit normally
  bool timed_out = false;
  std::string out;
  std::string err;
};

// Runs argv (argv[0] a path) with the current environment plus `env`, stdin
// from /dev/null, killed after `limit`.
Outcome Run(const std::vector<std::string>& argv, const Environment& env,
            std::chrono::milliseconds limit);

// A program running in the background until it is stopped (SIGTERM, then
// SIGKILL) or destroyed.
class Background {
 public:
  Background(const std::vector<std::string>& argv, const Environment& env);
  ~Background();
  Background(const Background&) = delete;
  Background& operator=(const Background&) = delete;

  // Waits until standard output has a line starting with `prefix`.
  bool WaitForLine(const std::string& prefix, std::chrono::milliseconds limit);
  // Stops the program and returns its exit code (-1 when killed by force).
  int Stop();
  const std::string& out() const { return out_; }

 private:
  void Drain();
  int pid_ = -1;
  int out_fd_ = -1;
  std::string out_;
  int exit_code_ = -1;
};

// A fresh folder, removed with everything in it by the destructor.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string ReadText(const std::filesystem::path& path);
void WriteText(const std::filesystem::path& path, const std::string& text);

// Lines of `text` that start with `prefix`.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix);

}  // namespace e2e
