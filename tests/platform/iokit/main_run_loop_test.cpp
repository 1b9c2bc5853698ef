#include "iokit/main_run_loop.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

struct SocketPair {
  int fd[2];
  SocketPair() { EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fd), 0); }
  ~SocketPair() {
    if (fd[0] >= 0) close(fd[0]);
    if (fd[1] >= 0) close(fd[1]);
  }
};

TEST(BuiltinRunLoopTest, CallsReadySourcesThenQueuedWork) {
  iokit::BuiltinRunLoop loop;
  SocketPair pair;
  std::vector<std::string> calls;
  loop.post([&] { calls.push_back("posted"); });
  const auto id = loop.watch_fd(pair.fd[0], [&](short) {
    char c;
    EXPECT_EQ(read(pair.fd[0], &c, 1), 1);
    calls.push_back("ready");
    loop.post([&] { calls.push_back("posted by source"); });
  });
  ASSERT_EQ(write(pair.fd[1], "x", 1), 1);

  loop.run_one_turn();
  EXPECT_EQ(calls, (std::vector<std::string>{"ready", "posted"}));
  loop.run_one_turn();  // work posted during a turn waits for the next one
  EXPECT_EQ(calls.back(), "posted by source");
  loop.unwatch_fd(id);
  EXPECT_EQ(loop.watch_count(), 0);
}

TEST(BuiltinRunLoopTest, ASourceMayUnwatchAnotherOneReadyInTheSameTurn) {
  iokit::BuiltinRunLoop loop;
  SocketPair a, b;
  int calls = 0;
  iokit::RunLoopHost::WatchId second = 0;
  loop.watch_fd(a.fd[0], [&](short) {
    ++calls;
    loop.unwatch_fd(second);
  });
  second = loop.watch_fd(b.fd[0], [&](short) { ++calls; });
  ASSERT_EQ(write(a.fd[1], "x", 1), 1);
  ASSERT_EQ(write(b.fd[1], "x", 1), 1);
  loop.run_one_turn();
  EXPECT_EQ(calls, 1);
}

TEST(BuiltinRunLoopTest, ReportsAHangUp) {
  iokit::BuiltinRunLoop loop;
  SocketPair pair;
  short seen = 0;
  loop.watch_fd(pair.fd[0], [&](short revents) { seen = revents; });
  close(pair.fd[1]);
  pair.fd[1] = -1;
  loop.run_one_turn();
  EXPECT_TRUE(seen & POLLHUP);
}

TEST(MainRunLoopTest, IsTheInstalledHostUntilItIsRemoved) {
  iokit::BuiltinRunLoop other;
  EXPECT_EQ(&iokit::main_run_loop(), &iokit::builtin_run_loop());
  iokit::set_main_run_loop_host(&other);
  EXPECT_EQ(&iokit::main_run_loop(), &other);
  iokit::set_main_run_loop_host(nullptr);
  EXPECT_EQ(&iokit::main_run_loop(), &iokit::builtin_run_loop());
}

}  // namespace
