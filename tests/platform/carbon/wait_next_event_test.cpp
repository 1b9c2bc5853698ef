#include "carbon_fixture.h"
#include "iokit/main_run_loop.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

using carbon_test::CarbonTest;
using carbon_test::code;

struct Seen {
  int count = 0;
};

OSStatus count_it(EventHandlerCallRef, EventRef, void* user) {
  ++static_cast<Seen*>(user)->count;
  return noErr;
}

// Posts the same kind again from inside its handler, as a busy device would.
OSStatus repost(EventHandlerCallRef, EventRef, void* user) {
  ++static_cast<Seen*>(user)->count;
  EventRef e = nullptr;
  CreateEvent(nullptr, code("test"), code("agin"), 0, kEventAttributeNone, &e);
  PostEventToQueue(GetMainEventQueue(), e, kEventPriorityLow);
  ReleaseEvent(e);
  return noErr;
}

TEST_F(CarbonTest, WaitNextEventReadsSourcesFirstThenDispatchesWhatTheyPosted) {
  Seen seen;
  install(count_it, {{code("QVXH"), code("HIDe")}}, &seen);
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair), 0);
  // The source stands for a device's channel: each report becomes an event.
  const auto watch = iokit::main_run_loop().watch_fd(pair[0], [&](short) {
    char report[64];
    EXPECT_EQ(read(pair[0], report, sizeof report), 64);
    post(make("QVXH", "HIDe"));
  });
  char report[64] = {};
  ASSERT_EQ(write(pair[1], report, sizeof report), 64);

  EventRecord record;
  std::memset(&record, 0xAB, sizeof record);
  EXPECT_FALSE(WaitNextEvent(0, &record, 0, nullptr));
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(record.what, nullEvent);

  iokit::main_run_loop().unwatch_fd(watch);
  close(pair[0]);
  close(pair[1]);
}

TEST_F(CarbonTest, NothingIsDispatchedUntilTheLoopTurns) {
  Seen seen;
  install(count_it, {{code("test"), code("late")}}, &seen);
  post(make("test", "late"));
  EXPECT_EQ(seen.count, 0);
  iokit::builtin_run_loop().run_one_turn();  // the loop's own turn dispatches the queue too
  EXPECT_EQ(seen.count, 1);
  EXPECT_FALSE(WaitNextEvent(0, nullptr, 0, nullptr));  // nothing left
  EXPECT_EQ(seen.count, 1);
}

TEST_F(CarbonTest, AHandlerThatKeepsPostingDoesNotHoldUpWaitNextEvent) {
  Seen seen;
  install(repost, {{code("test"), code("agin")}}, &seen);
  post(make("test", "agin"));
  WaitNextEvent(0, nullptr, 0, nullptr);
  const int first = seen.count;
  EXPECT_GE(first, 1);
  EXPECT_LE(first, 2);
  WaitNextEvent(0, nullptr, 0, nullptr);
  EXPECT_GT(seen.count, first);
  EXPECT_LE(seen.count, first + 2);
}

}  // namespace
