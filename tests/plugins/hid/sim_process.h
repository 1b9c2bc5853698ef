#pragma once
// A bootloader-sim process serving one virtual device in a folder of the
// test's own, stopped at the end of the scope.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace machid_test {

class SimProcess {
 public:
  // Starts the program with the options and waits (at most 10 s) for its ready line.
  SimProcess(const std::string& program, const std::string& virtual_dir,
             std::vector<std::string> options = {}) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::setenv("HIDBUS_VIRTUAL_DIR", virtual_dir.c_str(), 1);
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (auto& o : options) argv.push_back(o.data());
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    ready_ = read_line(out[0]);
    ::close(out[0]);
    if (ready_.rfind("ready ", 0) != 0) {
      stop();
      throw std::runtime_error("bootloader-sim did not get ready: '" + ready_ + "'");
    }
  }
  ~SimProcess() { stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The device's path on the bus, from the ready line.
  std::string path() const { return ready_.substr(6); }

 private:
  static std::string read_line(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char c;
      if (::read(fd, &c, 1) != 1) break;
      if (c == '\n') break;
      line += c;
    }
    return line;
  }

  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  std::string ready_;
};

}  // namespace machid_test
