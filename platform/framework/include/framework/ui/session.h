#pragma once
// A headless session: runs an application for a test, with the test as its
// user and a clock that moves only while the application waits.
//
// The application runs on a thread of its own, but never at the same time as
// the test: the session hands control back and forth. The test has it while
// the application waits for events (the only moments a user acts), so between
// calls the test may read and check any part of the window model directly.
//
//   headless::Session s;
//   s.start_application<App, MenuBar1>();        // returns when App waits
//   ASSERT_TRUE(s.press("mainWindow.StartButton"));
//   ASSERT_TRUE(s.run_until([&] { return s.message_box().has_value(); }));
//   EXPECT_EQ(*s.message_box(), "Update installed.");
//   s.answer_message_box();
//   EXPECT_EQ(s.exit_code(), 0);
//
// Time is a manual clock: when the application waits for a timer, the clock
// jumps to it. One session at a time per process.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "framework/clock.h"
#include "framework/ui/desktop.h"
#include "framework/ui/headless.h"
#include "framework/ui/run.h"

namespace framework::headless {

class Session {
 public:
  struct Options {
    bool answer_message_boxes = false;   // true: answered as they come, as in a scripted run
    std::ostream* transcript = nullptr;  // a copy of the transcript lines
  };

  Session() : Session(Options{}) {}
  explicit Session(Options options);
  // Quits an application that still runs and waits for its end.
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Runs `start` as the Open event of a plain application object (no menu
  // bar) inside the framework's top level, then the event loop. Returns when the
  // application first waits for events or has ended.
  void start(std::function<void()> start);
  template <class A, class M = MenuBar>
  void start_application() {
    ui::Startup s;
    s.make_application = [] { return ui::new_application<A>(); };
    s.make_menu_bar = ui::new_menu_bar<M>;
    start(std::move(s));
  }
  // The same, with A made from a copy of `value`: make<A>(value).
  template <class A, class M = MenuBar, class V>
  void start_application_from(V value) {
    ui::Startup s;
    s.make_application = [value = std::move(value)] { return ui::new_application<A>(value); };
    s.make_menu_bar = ui::new_menu_bar<M>;
    start(std::move(s));
  }
  void start(ui::Startup startup);

  // Lets the application run until `condition` holds at a moment it waits,
  // it has ended, nothing more can happen (no timer, no input, nothing to
  // read), or `limit` of its time has passed. True only when the condition holds.
  bool run_until(const std::function<bool()>& condition, Duration limit = std::chrono::minutes(10));
  // Lets `time` of the application's time pass (the clock ends there).
  void run_for(Duration time);
  // Runs `event` as a framework event of the application, then lets it run
  // until it waits again.
  void run_event(std::function<void()> event);

  // What the user does. Each is false, and nothing happens, when the user
  // could not do it now (no such window or control, disabled, hidden, behind
  // a modal window or a message box); otherwise the input is delivered and
  // the application runs until it waits again.
  bool press(std::string_view path);  // "mainWindow.StartButton"
  bool type(std::string_view path, const String& text);
  bool key(std::string_view window, std::string_view key);  // "Return", "Escape", "Ctrl+Q"
  bool close(std::string_view window);
  bool resize(std::string_view window, int32_t width, int32_t height);
  bool choose_menu(std::string_view item_name);
  // Answers the newest open message box.
  bool answer_message_box();

  // The newest open window of the class; nil when none.
  Ref<Window> window(std::string_view class_name) const { return ui::find_window(class_name); }
  template <class T>
  T* control(std::string_view path) const {
    return dynamic_cast<T*>(ui::find_control(path));
  }
  // The text of the newest open message box.
  std::optional<std::string> message_box() const;
  // Every message box shown so far, in order.
  const std::vector<std::string>& message_boxes() const { return backend_.message_boxes(); }
  const std::vector<std::string>& transcript() const { return backend_.lines(); }
  HeadlessBackend& backend() { return backend_; }

  bool finished() const { return finished_; }
  // The application's exit code once it has ended; -1 before.
  int exit_code() const { return finished_ ? exit_code_ : -1; }
  TimePoint now() const;

 private:
  class SessionClock;
  enum class Turn { Test, App };

  // Called by the application's thread where it would wait: true when the
  // loop should look again instead of waiting or moving the clock.
  // `next_due`: the timer the loop would move the clock to; none when it
  // would wait for descriptors or input only.
  bool idle(std::optional<TimePoint> next_due);
  void park();
  void resume();
  bool settle();

  HeadlessBackend backend_;
  std::shared_ptr<SessionClock> clock_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable turned_;
  Turn turn_ = Turn::Test;
  bool finished_ = false;
  int exit_code_ = 0;
  bool quit_ = false;
  bool met_ = false;
  std::function<bool()> condition_;
  std::optional<TimePoint> limit_;
};

}  // namespace framework::headless
