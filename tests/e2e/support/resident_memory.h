#pragma once
// The resident memory of a program this process runs, looked at from outside
// while it runs: for memory goals of whole processes.

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

class ResidentMemory {
 public:
  struct Sample {
    std::chrono::milliseconds at;  // since the sampling began
    long rss_kib = 0;              // resident now (VmRSS)
    long peak_kib = 0;             // resident at most so far (VmHWM)
  };

  // Samples the child of this process whose program file is named `name`,
  // every `every`, from now until the end of the scope. Start it just before
  // the child; only one such child may run meanwhile.
  explicit ResidentMemory(std::string name, std::chrono::milliseconds every = std::chrono::milliseconds(100));
  ~ResidentMemory();
  ResidentMemory(const ResidentMemory&) = delete;
  ResidentMemory& operator=(const ResidentMemory&) = delete;

  std::vector<Sample> samples() const;
  // The last sample taken at or before `at`; one with rss_kib 0 when none was.
  Sample at(std::chrono::milliseconds at) const;
  // The last sample taken.
  Sample last() const;

 private:
  void run(const std::string& name, std::chrono::milliseconds every);

  mutable std::mutex mutex_;
  std::vector<Sample> samples_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace e2e
