#include "framework/application.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug_log_capture.h"
#include "framework/exceptions.h"
#include "framework/memoryblock.h"
#include "framework/runloop.h"
#include "framework/timer.h"

namespace framework {
namespace {

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock_ = std::make_shared<ManualClock>();
    RunLoop::main().set_clock(clock_);
  }
  void TearDown() override {
    unregister_module("first");
    unregister_module("second");
    set_exception_reporter(nullptr);
  }

  std::shared_ptr<ManualClock> clock_;
  testsupport::DebugLogCapture log_;
};

[[noreturn]] void quit_from_depth(int depth) {
  if (depth == 0) Quit();
  quit_from_depth(depth - 1);
}

TEST_F(ApplicationTest, QuitFromDeepInsideATimerFinalisesInOrder) {
  std::vector<std::string> calls;
  int device_closed = 0;
  ClassRecord& device_class = define_class("TestDevice", nullptr, 8);
  device_class.set_destructor([&](Object&) { ++device_closed; });
  Ref<Object> module_device;  // what a module holds for the whole run
  Ref<Object> leaked_device;  // held past the end, released by the framework
  register_module(
      "first", [&] { calls.push_back("init first"); },
      [&] {
        calls.push_back("fini first");
        module_device = nullptr;
      });
  register_module(
      "second", [&] { calls.push_back("init second"); }, [&] { calls.push_back("fini second"); });

  Ref<Timer> step;
  int code = run([&] {
    calls.push_back("start");
    module_device = Ref<Object>::adopt(device_class.create());
    leaked_device = Ref<Object>::adopt(device_class.create());
    step = make<Timer>();
    step->set_Period(100);
    step->set_Action([&] {
      calls.push_back("step");
      quit_from_depth(20);
      calls.push_back("after quit");  // never runs
    });
    step->set_Mode(Timer::ModeSingle);
    calls.push_back("start returns");
  });

  EXPECT_EQ(code, 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"init first", "init second", "start", "start returns", "step",
                                             "fini first", "fini second"}));
  EXPECT_EQ(device_closed, 2);  // the module's by release, the leaked one by the framework
  EXPECT_FALSE(running());
  EXPECT_EQ(clock_->now().time_since_epoch(), std::chrono::milliseconds(100));
  leaked_device = nullptr;
  EXPECT_EQ(device_closed, 2);
}

struct UncaughtCase {
  const char* name;
  std::function<void()> fail;
  const char* class_name;
  friend void PrintTo(const UncaughtCase& c, std::ostream* os) { *os << c.name; }
};

class UncaughtExceptionTest : public ApplicationTest, public ::testing::WithParamInterface<UncaughtCase> {};

TEST_P(UncaughtExceptionTest, ReportsAndEndsNonZero) {
  std::vector<std::string> reports;
  set_exception_reporter([&](const String& text) { reports.push_back(text.utf8()); });
  bool finalised = false;
  register_module("first", nullptr, [&] { finalised = true; });
  int code = run([&] { RunLoop::main().post(GetParam().fail); });
  EXPECT_NE(code, 0);
  EXPECT_TRUE(finalised);
  std::string expected = std::string("An exception of class ") + GetParam().class_name +
                         " was not handled. The application must shut down.";
  EXPECT_EQ(reports, std::vector<std::string>{expected});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UncaughtExceptionTest,
    ::testing::Values(UncaughtCase{"NilObject",
                                   [] {
                                     Ref<MemoryBlock> none;
                                     none->Size();
                                   },
                                   "NilObjectException"},
                      UncaughtCase{"OutOfBounds", [] { NewMemoryBlock(2)->UInt8Value(2); }, "OutOfBoundsException"},
                      UncaughtCase{"Runtime", [] { throw RuntimeException(String("x")); }, "RuntimeException"},
                      UncaughtCase{"Standard", [] { throw std::runtime_error("x"); }, "RuntimeException"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ApplicationTest, DefaultReporterWritesTheDebugLog) {
  int code = run([] { throw NilObjectException(); });
  EXPECT_EQ(code, 1);
  std::vector<std::string> lines = log_.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "An exception of class NilObjectException was not handled. The application must shut down.");
}

TEST_F(ApplicationTest, RunsAgainWithFreshState) {
  int starts = 0;
  for (int i = 0; i < 2; ++i) {
    RunLoop::main().set_clock(clock_);
    int code = run([&] {
      ++starts;
      RunLoop::main().post([] { Quit(); });
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(RunLoop::main().has_posted_events());
    EXPECT_FALSE(RunLoop::main().next_deadline());
  }
  EXPECT_EQ(starts, 2);
}

TEST_F(ApplicationTest, QuitPassesThroughStandardHandlers) {
  int code = run([] {
    try {
      Quit();
    } catch (const RuntimeException&) {
      ADD_FAILURE() << "Quit caught as a framework exception";
    } catch (const std::exception&) {
      ADD_FAILURE() << "Quit caught as a standard exception";
    }
  });
  EXPECT_EQ(code, 0);
}

TEST_F(ApplicationTest, FailingFinaliserDoesNotStopTheOthers) {
  bool second = false;
  register_module("first", nullptr, [] { throw OutOfMemoryException(); });
  register_module("second", nullptr, [&] { second = true; });
  std::vector<std::string> reports;
  set_exception_reporter([&](const String& text) { reports.push_back(text.utf8()); });
  EXPECT_NE(run([] { Quit(); }), 0);
  EXPECT_TRUE(second);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("OutOfMemoryException"), std::string::npos);
}

}  // namespace
}  // namespace framework
