#pragma once
// Another local account, played by a forked child of the test: for tests of
// what one account must not reach of another's. Switching accounts needs root.

#include <chrono>
#include <functional>
#include <string>

#include <sys/types.h>

namespace testsupport {

// The account that plays the other user.
inline constexpr uid_t kOtherUid = 65534;

// True when the test runs as root and so may act as another account.
bool CanActAsOtherUser();

// Makes the calling process kOtherUid (groups, group and user ID); throws
// std::runtime_error when it cannot.
void BecomeOtherUser();

// A forked child that sets something up, says so with ready(), keeps it (open
// files, locks, sockets, a server) until stop_fd is readable, and returns.
// It starts as the test's user; it calls BecomeOtherUser() where it should.
using ChildAct = std::function<void(int stop_fd, const std::function<void()>& ready)>;

class ForkedChild {
 public:
  // Starts the child and waits at most `limit` for its ready(); a child that
  // throws, returns or takes longer leaves failure() set.
  explicit ForkedChild(ChildAct act, std::chrono::milliseconds limit = std::chrono::seconds(10));
  ~ForkedChild();  // stop()
  ForkedChild(const ForkedChild&) = delete;
  ForkedChild& operator=(const ForkedChild&) = delete;

  // Empty once the child is ready; else what went wrong.
  const std::string& failure() const { return failure_; }
  // Tells the child to stop and waits for its end (killed after 10 s).
  void stop();

 private:
  int pid_ = -1;
  int stop_fd_ = -1;  // the write end; closing it stops the child
  std::string failure_;
};

// Waits until fd is readable or hung up (a child's stop_fd).
void WaitReadable(int fd);

}  // namespace testsupport
