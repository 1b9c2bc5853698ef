#pragma once

// Runs a program as a child process and collects what it printed.

#include <filesystem>
#include <string>
#include <vector>

namespace tools_test {

struct Outcome {
  int exit_code = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs `argv` (argv[0] a path) with stdin from /dev/null.
Outcome run(const std::vector<std::string>& argv);

// A fresh empty folder for one test, removed by the destructor.
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

std::string read_text(const std::filesystem::path& path);
void write_text(const std::filesystem::path& path, const std::string& text);

}  // namespace tools_test
