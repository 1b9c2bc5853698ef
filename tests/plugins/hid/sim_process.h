#pragma once
// A bootloader-sim process serving one virtual device in a folder of the
// test's own, stopped at the end of the scope.

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "process_run.h"

namespace machid_test {

class SimProcess {
 public:
  // Starts the program with the options and waits (at most 10 s) for its ready line.
  SimProcess(const std::string& program, const std::string& virtual_dir, std::vector<std::string> options = {})
      : process_(Command(program, std::move(options)), {{"HIDBUS_VIRTUAL_DIR", virtual_dir}}) {
    const auto ready = process_.WaitForLine("", std::chrono::seconds(10));
    if (!ready || ready->rfind("ready ", 0) != 0)
      throw std::runtime_error("bootloader-sim did not get ready: '" + ready.value_or("") + "'");
    path_ = ready->substr(6);
  }

  // The device's path on the bus, from the ready line.
  const std::string& path() const { return path_; }

 private:
  static std::vector<std::string> Command(const std::string& program, std::vector<std::string> options) {
    options.insert(options.begin(), program);
    return options;
  }

  testsupport::Background process_;
  std::string path_;
};

}  // namespace machid_test
