#include "other_account.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <stdexcept>

namespace testsupport {

using Clock = std::chrono::steady_clock;

bool CanActAsOtherUser() { return geteuid() == 0; }

void BecomeOtherUser() {
  if (setgroups(0, nullptr) != 0 || setgid(kOtherUid) != 0 || setuid(kOtherUid) != 0) {
    throw std::runtime_error(std::string("cannot become uid ") + std::to_string(kOtherUid) + ": " +
                             std::strerror(errno));
  }
}

void WaitReadable(int fd) {
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, -1) < 0 && errno == EINTR) {
  }
}

namespace {

void WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += std::size_t(n);
  }
}

}  // namespace

ForkedChild::ForkedChild(ChildAct act, std::chrono::milliseconds limit) {
  int status[2], stop[2];
  if (pipe2(status, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  if (pipe2(stop, O_CLOEXEC) != 0) {
    close(status[0]);
    close(status[1]);
    throw std::runtime_error("pipe");
  }
  pid_ = fork();
  if (pid_ < 0) {
    for (int fd : {status[0], status[1], stop[0], stop[1]}) close(fd);
    throw std::runtime_error("fork");
  }
  if (pid_ == 0) {
    close(status[0]);
    close(stop[1]);
    int code = 0;
    bool said = false;
    try {
      act(stop[0], [&] {
        if (!said) WriteAll(status[1], "ready\n");
        said = true;
      });
      if (!said) WriteAll(status[1], "the child ended before it was ready\n");
    } catch (const std::exception& e) {
      if (!said) WriteAll(status[1], std::string(e.what()) + "\n");
      code = 1;
    }
    // No exit handlers: they belong to the test process.
    _exit(code);
  }
  close(status[1]);
  close(stop[0]);
  stop_fd_ = stop[1];

  std::string said;
  const auto end = Clock::now() + limit;
  while (said.find('\n') == std::string::npos) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
    pollfd p{status[0], POLLIN, 0};
    const int r = left > 0 ? poll(&p, 1, int(left)) : 0;
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) {
      said = "the child was not ready in time\n";
      break;
    }
    char buffer[256];
    const ssize_t n = read(status[0], buffer, sizeof buffer);
    if (n <= 0) {
      if (said.empty()) said = "the child ended before it was ready\n";
      break;
    }
    said.append(buffer, std::size_t(n));
  }
  close(status[0]);
  said = said.substr(0, said.find('\n'));
  if (said != "ready") failure_ = said.empty() ? "no word from the child" : said;
}

ForkedChild::~ForkedChild() { stop(); }

void ForkedChild::stop() {
  if (stop_fd_ >= 0) {
    close(stop_fd_);
    stop_fd_ = -1;
  }
  if (pid_ <= 0) return;
  const auto end = Clock::now() + std::chrono::seconds(10);
  while (waitpid(pid_, nullptr, WNOHANG) == 0) {
    if (Clock::now() >= end) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      break;
    }
    usleep(1000);
  }
  pid_ = -1;
}

}  // namespace testsupport
