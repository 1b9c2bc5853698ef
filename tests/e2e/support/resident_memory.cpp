#include "resident_memory.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

namespace e2e {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// The child of this process whose program file is `name`; -1 when there is none.
int ChildRunning(const std::string& name) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc", ec)) {
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // pid (comm) state ppid ...: the name may hold blanks and parentheses.
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    char state = 0;
    int ppid = 0;
    if (!(rest >> state >> ppid) || ppid != getpid()) continue;
    if (fs::read_symlink(entry.path() / "exe", ec).filename() == name) return std::stoi(pid);
  }
  return -1;
}

long StatusKib(const std::string& status, const std::string& field) {
  const std::size_t at = status.find("\n" + field + ":");
  return at == std::string::npos ? 0 : std::stol(status.substr(at + field.size() + 2));
}

}  // namespace

ResidentMemory::ResidentMemory(std::string name, std::chrono::milliseconds every)
    : thread_([this, name = std::move(name), every] { run(name, every); }) {}

ResidentMemory::~ResidentMemory() {
  stop_ = true;
  thread_.join();
}

void ResidentMemory::run(const std::string& name, std::chrono::milliseconds every) {
  const auto start = Clock::now();
  int pid = -1;
  while (!stop_) {
    if (pid < 0) pid = ChildRunning(name);
    if (pid >= 0) {
      std::ifstream in("/proc/" + std::to_string(pid) + "/status");
      std::stringstream text;
      text << in.rdbuf();
      const std::string status = "\n" + text.str();
      if (status.find("\nVmRSS:") != std::string::npos) {
        std::lock_guard lock(mutex_);
        samples_.push_back({std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start),
                            StatusKib(status, "VmRSS"), StatusKib(status, "VmHWM")});
      }
    }
    std::this_thread::sleep_for(every);
  }
}

std::vector<ResidentMemory::Sample> ResidentMemory::samples() const {
  std::lock_guard lock(mutex_);
  return samples_;
}

ResidentMemory::Sample ResidentMemory::at(std::chrono::milliseconds at) const {
  std::lock_guard lock(mutex_);
  Sample found{at};
  for (const Sample& s : samples_) {
    if (s.at <= at) found = s;
  }
  return found;
}

ResidentMemory::Sample ResidentMemory::last() const {
  std::lock_guard lock(mutex_);
  return samples_.empty() ? Sample{} : samples_.back();
}

}  // namespace e2e
