#include "process_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace testsupport {

using Clock = std::chrono::steady_clock;

namespace {

// Starts argv in a process group of its own with stdout on a pipe, and stderr
// on a pipe when `err_fd` is given (else on /dev/null); returns the pid.
int Spawn(const std::vector<std::string>& argv, const Environment& env, int* out_fd, int* err_fd) {
  int out[2], err[2] = {-1, -1};
  if (pipe2(out, O_CLOEXEC) != 0 || (err_fd != nullptr && pipe2(err, O_CLOEXEC) != 0)) throw std::runtime_error("pipe");
  const int pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    setpgid(0, 0);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(out[1], 1);
    dup2(err_fd != nullptr ? err[1] : null, 2);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  *out_fd = out[0];
  if (err_fd != nullptr) {
    close(err[1]);
    *err_fd = err[0];
  }
  return pid;
}

// Reads what is there without blocking; false at end of file.
bool ReadSome(int fd, std::string& into) {
  char buffer[65536];
  const ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) {
    into.append(buffer, std::size_t(n));
    return true;
  }
  return n < 0 && (errno == EAGAIN || errno == EINTR);
}

int ExitCode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

void Reap(int pid, int* status) {
  while (waitpid(pid, status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

Outcome Run(const std::vector<std::string>& argv, const Environment& env, std::chrono::milliseconds limit) {
  Outcome o;
  int out_fd, err_fd;
  const int pid = Spawn(argv, env, &out_fd, &err_fd);
  const auto deadline = Clock::now() + limit;
  bool out_open = true, err_open = true;
  while (out_open || err_open) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      o.timed_out = true;
      kill(-pid, SIGKILL);
      break;
    }
    pollfd fds[2] = {{out_open ? out_fd : -1, POLLIN, 0}, {err_open ? err_fd : -1, POLLIN, 0}};
    poll(fds, 2, int(std::min<long>(left.count(), 1000)));
    if (out_open && fds[0].revents) out_open = ReadSome(out_fd, o.out);
    if (err_open && fds[1].revents) err_open = ReadSome(err_fd, o.err);
  }
  close(out_fd);
  close(err_fd);
  int status = 0;
  Reap(pid, &status);
  o.exit_code = o.timed_out ? -1 : ExitCode(status);
  return o;
}

Background::Background(const std::vector<std::string>& argv, const Environment& env) {
  pid_ = Spawn(argv, env, &out_fd_, nullptr);
  fcntl(out_fd_, F_SETFL, O_NONBLOCK);
}

Background::~Background() { Stop(); }

bool Background::Drain() { return out_fd_ >= 0 && ReadSome(out_fd_, out_); }

std::optional<std::string> Background::WaitForLine(const std::string& prefix, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  for (bool open = true; open && Clock::now() < deadline;) {
    open = Drain();
    // Only whole lines count: a line still being written may not have its end yet.
    const std::string whole = out_.substr(0, out_.rfind('\n') + 1);
    const std::vector<std::string> lines = LinesStartingWith(whole, prefix);
    if (!lines.empty()) return lines.front();
    pollfd fd{out_fd_, POLLIN, 0};
    poll(&fd, 1, 50);
  }
  return std::nullopt;
}

int Background::Wait(std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  while (pid_ >= 0 && !Reaped() && Clock::now() < deadline) usleep(5000);
  if (pid_ >= 0) Kill();
  return Stop();
}

int Background::Stop() {
  if (pid_ >= 0) {
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100 && !Reaped(); ++i) usleep(20000);
    if (pid_ >= 0) Kill();
  }
  if (out_fd_ >= 0) {
    Drain();
    close(out_fd_);
    out_fd_ = -1;
  }
  return exit_code_;
}

bool Background::Reaped() {
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
  exit_code_ = ExitCode(status);
  pid_ = -1;
  return true;
}

void Background::Kill() {
  kill(-pid_, SIGKILL);
  int status = 0;
  Reap(pid_, &status);
  pid_ = -1;
  exit_code_ = -1;
}

std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  }
  return out;
}

}  // namespace testsupport
