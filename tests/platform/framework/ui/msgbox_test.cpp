#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "debug_log_capture.h"
#include "framework/ui/msgbox.h"
#include "framework/ui/push_button.h"
#include "framework/ui/session.h"
#include "framework/ui/window.h"

using namespace framework;
using namespace std::chrono_literals;
using framework::headless::Session;

namespace {

int g_ticks = 0;
bool g_went_on = false;

// Timer1 shows a message once after 100 ms; Ticker counts every 50 ms.
class TimerWindow : public Window {
 public:
  static const ClassRecord& class_record() { return subclass_record<TimerWindow, Window>("TimerWindow"); }

 protected:
  void CreateControls() override {
    AddTimer("Timer1", {.Mode = Timer::ModeSingle, .Period = 100}, [](Timer&) {
      MsgBox("No device found.");
      g_went_on = true;
    });
    AddTimer("Ticker", {.Mode = Timer::ModeMultiple, .Period = 50}, [](Timer&) { ++g_ticks; });
    AddControl<PushButton>("Button", {});
  }
};

TEST(MsgBoxTest, InsideATimersActionWaitsForTheAnswerWhileTimeGoesOn) {
  g_ticks = 0;
  g_went_on = false;
  Session s;
  s.start([] { ImplicitWindow<TimerWindow>(); });
  ASSERT_TRUE(s.run_until([&] { return s.message_box().has_value(); }));
  EXPECT_EQ(*s.message_box(), "No device found.");
  EXPECT_EQ(s.now().time_since_epoch(), 100ms);
  EXPECT_FALSE(g_went_on);

  int ticks = g_ticks;
  s.run_for(200ms);
  EXPECT_EQ(g_ticks, ticks + 4);  // other timers fire while the box is open
  EXPECT_FALSE(g_went_on);
  EXPECT_FALSE(s.press("TimerWindow.Button"));  // the box keeps the user from the window

  ASSERT_TRUE(s.answer_message_box());
  EXPECT_TRUE(g_went_on);
  EXPECT_FALSE(s.message_box().has_value());
  EXPECT_EQ(s.message_boxes(), std::vector<std::string>{"No device found."});
  EXPECT_TRUE(s.press("TimerWindow.Button"));
}

TEST(MsgBoxTest, UncaughtExceptionIsShownInAMessageBoxAndEndsTheRunNonZero) {
  Session s;
  s.start([] { throw NilObjectException(); });
  ASSERT_TRUE(s.message_box().has_value());
  EXPECT_EQ(*s.message_box(),
            "An exception of class NilObjectException was not handled. The application must shut down.");
  ASSERT_TRUE(s.answer_message_box());
  EXPECT_TRUE(s.finished());
  EXPECT_NE(s.exit_code(), 0);
}

TEST(MsgBoxTest, WithoutABackendGoesToTheDebugLogInsteadOfWaiting) {
  const testsupport::DebugLogCapture log;
  MsgBox("nobody sees this");
  const std::vector<std::string> lines = log.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "nobody sees this");
}

}  // namespace
