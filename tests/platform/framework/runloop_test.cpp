#include "framework/runloop.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "framework/time.h"
#include "framework/timer.h"

namespace framework {
namespace {

using std::chrono::milliseconds;

// The main loop on a manual clock, put back after each test.
class MainLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock_ = std::make_shared<ManualClock>();
    loop().set_clock(clock_);
  }
  void TearDown() override { loop().reset(); }

  static RunLoop& loop() { return RunLoop::main(); }
  int64_t ms() const { return std::chrono::duration_cast<milliseconds>(clock_->now().time_since_epoch()).count(); }

  Ref<Timer> timer(const std::string& name, int32_t mode, int32_t period) {
    Ref<Timer> t = make<Timer>();
    t->set_Action([this, name] { log_.push_back(name + "@" + std::to_string(ms())); });
    t->set_Period(period);
    t->set_Mode(mode);
    return t;
  }

  // Runs until a marker timer armed now fires at `until_ms`, after the timers
  // already due then.
  void run_until(int64_t until_ms) {
    bool reached = false;
    Ref<Timer> marker = make<Timer>();
    marker->set_Period(static_cast<int32_t>(until_ms - ms()));
    marker->set_Action([&] { reached = true; });
    marker->set_Mode(Timer::ModeSingle);
    loop().run_nested([&] { return reached; });
  }

  std::shared_ptr<ManualClock> clock_;
  std::vector<std::string> log_;
};

TEST_F(MainLoopTest, TimerModesFireInDueOrder) {
  Ref<Timer> repeat = timer("every30", Timer::ModeMultiple, 30);
  Ref<Timer> once = timer("once100", Timer::ModeSingle, 100);
  Ref<Timer> same = timer("same100", Timer::ModeSingle, 100);  // armed later, fires later
  Ref<Timer> off = timer("off", Timer::ModeOff, 10);
  run_until(130);
  EXPECT_EQ(log_, (std::vector<std::string>{"every30@30", "every30@60", "every30@90", "once100@100", "same100@100",
                                            "every30@120"}));
  EXPECT_EQ(once->Mode(), Timer::ModeOff);
  EXPECT_EQ(repeat->Mode(), Timer::ModeMultiple);
}

TEST_F(MainLoopTest, SettersRearmFromNow) {
  Ref<Timer> t = timer("t", Timer::ModeSingle, 100);
  clock_->advance(milliseconds(60));
  t->set_Period(50);  // now due at 110, not 100
  run_until(105);
  EXPECT_TRUE(log_.empty());
  run_until(110);
  EXPECT_EQ(log_, (std::vector<std::string>{"t@110"}));
  t->set_Mode(Timer::ModeSingle);  // again, from 110
  run_until(160);
  EXPECT_EQ(log_.back(), "t@160");
}

TEST_F(MainLoopTest, SingleShotRearmedInItsActionChainsSteps) {
  Ref<Timer> step = make<Timer>();
  int count = 0;
  step->set_Period(100);
  step->set_Action([&] {
    log_.push_back("step" + std::to_string(++count) + "@" + std::to_string(ms()));
    if (count < 3) step->set_Mode(Timer::ModeSingle);
  });
  step->set_Mode(Timer::ModeSingle);
  run_until(500);
  EXPECT_EQ(log_, (std::vector<std::string>{"step1@100", "step2@200", "step3@300"}));
}

TEST_F(MainLoopTest, ReleasedTimerStops) {
  Ref<Timer> t = timer("t", Timer::ModeMultiple, 10);
  run_until(25);
  t = nullptr;
  run_until(100);
  EXPECT_EQ(log_, (std::vector<std::string>{"t@10", "t@20"}));
}

TEST_F(MainLoopTest, TimerIsNotReenteredFromItsOwnAction) {
  Ref<Timer> t = make<Timer>();
  int depth = 0;
  int max_depth = 0;
  int fired = 0;
  t->set_Period(1);
  t->set_Action([&] {
    ++fired;
    max_depth = std::max(max_depth, ++depth);
    if (fired == 1) {
      t->set_Mode(Timer::ModeMultiple);  // due again at once
      clock_->advance(milliseconds(5));
      loop().turn();  // as a yield inside a long step would
    }
    --depth;
  });
  t->set_Mode(Timer::ModeMultiple);
  run_until(10);
  EXPECT_EQ(max_depth, 1);
  EXPECT_GE(fired, 2);
}

TEST_F(MainLoopTest, NestedLoopEndsAndOuterGoesOn) {
  bool dismissed = false;
  Ref<Timer> dismiss = make<Timer>();
  dismiss->set_Period(50);
  dismiss->set_Action([&] { dismissed = true; });
  Ref<Timer> modal = make<Timer>();
  modal->set_Period(10);
  modal->set_Action([&] {
    log_.push_back("modal open@" + std::to_string(ms()));
    dismiss->set_Mode(Timer::ModeSingle);
    loop().run_nested([&] { return dismissed; });  // like a message box
    log_.push_back("modal closed@" + std::to_string(ms()) + " depth " + std::to_string(loop().nesting()));
  });
  modal->set_Mode(Timer::ModeSingle);
  Ref<Timer> tick = timer("tick", Timer::ModeMultiple, 25);
  run_until(80);
  EXPECT_EQ(log_,
            (std::vector<std::string>{"modal open@10", "tick@25", "tick@50", "modal closed@60 depth 1", "tick@75"}));
  EXPECT_EQ(loop().nesting(), 0);
}

TEST_F(MainLoopTest, PostedEventsRunInOrderFromAnyThread) {
  std::vector<int> seen;
  loop().post([&] {
    seen.push_back(1);
    loop().post([&] { seen.push_back(5); });
    loop().turn();  // a yield inside an event must not let 5 overtake 2..4
  });
  std::thread other([&] {
    for (int i = 2; i <= 4; ++i) loop().post([&seen, i] { seen.push_back(i); });
  });
  other.join();
  EXPECT_TRUE(loop().has_posted_events());
  EXPECT_TRUE(loop().turn());
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_FALSE(loop().turn());
}

TEST_F(MainLoopTest, PostFromAnotherThreadWakesAnIdleLoop) {
  loop().set_clock(nullptr);  // real time: the loop really waits
  bool done = false;
  std::thread other([&] { loop().post([&] { done = true; }); });
  loop().run_nested([&] { return done; });
  other.join();
  EXPECT_TRUE(done);
}

TEST_F(MainLoopTest, FdSourceReportsDataThenHangup) {
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair), 0);
  std::vector<std::string> got;
  bool hung_up = false;
  loop().add_fd(pair[0], [&](FdEvents events) {
    if (events.readable) {
      char buffer[64];
      ssize_t n = read(pair[0], buffer, sizeof buffer);
      if (n > 0) got.emplace_back(buffer, static_cast<std::size_t>(n));
    }
    if (events.hangup) hung_up = true;
  });
  EXPECT_EQ(loop().watched_fds(), std::vector<int>{pair[0]});
  ASSERT_EQ(write(pair[1], "report", 6), 6);
  loop().run_nested([&] { return !got.empty(); });
  EXPECT_EQ(got, std::vector<std::string>{"report"});
  close(pair[1]);
  loop().run_nested([&] { return hung_up; });
  EXPECT_TRUE(loop().watched_fds().empty());  // removed after the hang-up
  close(pair[0]);
}

TEST_F(MainLoopTest, RemovedFdSourceIsNotCalled) {
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair), 0);
  int calls = 0;
  RunLoop::Id id = loop().add_fd(pair[0], [&](FdEvents) { ++calls; });
  ASSERT_EQ(write(pair[1], "x", 1), 1);
  loop().remove_fd(id);
  EXPECT_FALSE(loop().turn());
  EXPECT_EQ(calls, 0);
  close(pair[0]);
  close(pair[1]);
}

TEST_F(MainLoopTest, TicksFollowTheLoopClock) {
  int64_t start = Ticks();
  clock_->advance(milliseconds(2000));
  EXPECT_EQ(Ticks() - start, 120);
}

TEST_F(MainLoopTest, YieldRunsReadyWork) {
  int ran = 0;
  loop().post([&] { ++ran; });
  // Paced by real time; a bounded number of calls reaches a turn.
  for (int i = 0; i < 10000000 && ran == 0; ++i) Yield();
  EXPECT_EQ(ran, 1);
}

TEST_F(MainLoopTest, ExceptionFromCallbackLeavesTheLoopUsable) {
  loop().post([] { throw std::runtime_error("boom"); });
  int later = 0;
  loop().post([&] { ++later; });
  EXPECT_THROW(loop().turn(), std::runtime_error);
  EXPECT_TRUE(loop().turn());
  EXPECT_EQ(later, 1);
}

class FakeWaiter : public IdleWaiter {
 public:
  void wait(std::span<const int> fds, std::optional<Duration> timeout) override {
    ++waits;
    last_fds.assign(fds.begin(), fds.end());
    last_timeout = timeout;
    if (on_wait) on_wait();
  }
  void wake() override { ++wakes; }
  void dispatch_ready() override { ++dispatches; }

  int waits = 0;
  int wakes = 0;
  int dispatches = 0;
  std::vector<int> last_fds;
  std::optional<Duration> last_timeout;
  std::function<void()> on_wait;
};

TEST(RunLoopWaiterTest, PluggedWaiterDoesTheIdleWait) {
  RunLoop loop;
  auto owned = std::make_unique<FakeWaiter>();
  FakeWaiter* waiter = owned.get();
  loop.set_idle_waiter(std::move(owned));
  bool fired = false;
  loop.schedule(loop.now() + milliseconds(200), [&] { fired = true; });
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair), 0);
  loop.add_fd(pair[0], [](FdEvents) {});
  waiter->on_wait = [&] { loop.post([] {}); };
  loop.run_nested([&] { return waiter->waits > 0; });
  close(pair[0]);
  close(pair[1]);
  EXPECT_GE(waiter->dispatches, 1);
  EXPECT_EQ(waiter->last_fds, std::vector<int>{pair[0]});
  ASSERT_TRUE(waiter->last_timeout);
  EXPECT_GT(*waiter->last_timeout, milliseconds(100));
  EXPECT_LE(*waiter->last_timeout, milliseconds(200));
  EXPECT_EQ(waiter->wakes, 1);
  EXPECT_TRUE(loop.next_deadline());
  EXPECT_FALSE(fired);
}

// A polling turn on the steady clock: it waits when idle, bounded by 1 ms
// and by the next timer, and dispatches what came while it waited.
class PollingTurnTest : public ::testing::Test {
 protected:
  PollingTurnTest() {
    auto owned = std::make_unique<FakeWaiter>();
    waiter = owned.get();
    loop.set_idle_waiter(std::move(owned));
  }

  RunLoop loop;
  FakeWaiter* waiter;
};

TEST_F(PollingTurnTest, IdleTurnWaitsAtMostOneMillisecond) {
  loop.schedule(loop.now() + milliseconds(200), [] {});
  EXPECT_FALSE(loop.turn());
  EXPECT_EQ(waiter->waits, 1);
  ASSERT_TRUE(waiter->last_timeout);
  EXPECT_EQ(*waiter->last_timeout, milliseconds(1));
}

TEST_F(PollingTurnTest, IdleTurnWaitsNoLongerThanTheNextTimer) {
  loop.schedule(loop.now() + std::chrono::microseconds(300), [] {});
  loop.turn();
  ASSERT_TRUE(waiter->last_timeout);
  EXPECT_LE(*waiter->last_timeout, std::chrono::microseconds(300));
}

TEST_F(PollingTurnTest, WhatArrivesDuringTheWaitIsDispatchedByTheSameTurn) {
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, pair), 0);
  std::vector<std::string> seen;
  loop.add_fd(pair[0], [&](FdEvents events) {
    char buffer[16];
    if (events.readable && read(pair[0], buffer, sizeof buffer) > 0) {
      seen.push_back("report");
      loop.post([&] { seen.push_back("its event"); });
    }
  });
  waiter->on_wait = [&] { ASSERT_EQ(write(pair[1], "x", 1), 1); };
  EXPECT_TRUE(loop.turn());
  EXPECT_EQ(seen, (std::vector<std::string>{"report", "its event"}));
  close(pair[0]);
  close(pair[1]);
}

TEST_F(PollingTurnTest, BusyTurnAndTurnNowDoNotWait) {
  loop.post([] {});
  EXPECT_TRUE(loop.turn());
  EXPECT_FALSE(loop.turn_now());
  EXPECT_EQ(waiter->waits, 0);
}

TEST_F(PollingTurnTest, ManualClockTurnDoesNotWait) {
  loop.set_clock(std::make_shared<ManualClock>());
  EXPECT_FALSE(loop.turn());
  EXPECT_EQ(waiter->waits, 0);
}

}  // namespace
}  // namespace framework
