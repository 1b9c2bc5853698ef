#include "framework/ui/session.h"

#include <poll.h>

#include <atomic>
#include <cerrno>

#include "framework/application.h"
#include "framework/runloop.h"
#include "framework/ui/input.h"
#include "framework/ui/subclass.h"
#include "framework/ui/push_button.h"
#include "framework/ui/text_field.h"

namespace framework::headless {
namespace {

// How long the application may wait on its descriptors alone, in real time,
// before the session counts it as waiting for nothing.
constexpr auto kDescriptorGrace = std::chrono::milliseconds(100);

// Only descriptors are left to wait for: true when one of them becomes ready
// within a moment of real time (a device thread may be about to answer).
bool descriptors_ready() {
  std::vector<pollfd> set;
  for (int fd : RunLoop::main().watched_fds()) set.push_back({fd, POLLIN, 0});
  if (set.empty()) return false;
  int rc;
  do {
    rc = ::poll(set.data(), set.size(), static_cast<int>(kDescriptorGrace.count()));
  } while (rc < 0 && errno == EINTR);
  return rc > 0;
}

// The application object of start(function): its Open runs the function.
class FunctionApplication : public Application {
 public:
  static const ClassRecord& class_record() {
    return subclass_record<FunctionApplication, Application>("FunctionApplication");
  }
  std::function<void()> open;
  void Event_Open() override {
    if (open) open();
  }
};

}  // namespace

// A manual clock whose every move is first offered to the session: where the
// loop would let time pass, the test may act instead.
class Session::SessionClock final : public framework::Clock {
 public:
  explicit SessionClock(Session& session) : session_(session) {}
  TimePoint now() const override { return now_.load(); }
  bool is_manual() const override { return true; }
  void advance_to(TimePoint t) override {
    if (session_.idle(t)) return;
    set(t);
  }
  void set(TimePoint t) {
    if (t > now_.load()) now_.store(t);
  }

 private:
  Session& session_;
  std::atomic<TimePoint> now_{TimePoint{}};
};

Session::Session(Options options)
    : backend_(HeadlessBackend::Options{options.transcript, options.answer_message_boxes}),
      clock_(std::make_shared<SessionClock>(*this)) {}

Session::~Session() {
  if (!thread_.joinable()) return;
  // Asked again should the application let a Quit pass by.
  while (!finished_) {
    quit_ = true;
    resume();
  }
  thread_.join();
}

TimePoint Session::now() const { return clock_->now(); }

void Session::start(std::function<void()> start) {
  ui::Startup s;
  s.make_application = [start = std::move(start)] {
    Ref<FunctionApplication> a = make<FunctionApplication>();
    a->open = start;
    return Ref<Application>(a);
  };
  this->start(std::move(s));
}

void Session::start(ui::Startup startup) {
  if (thread_.joinable()) throw std::logic_error("a session runs one application");
  startup.clock = clock_;
  startup.idle_hook = [this](std::optional<Duration>&) { return idle(std::nullopt); };
  condition_ = [] { return true; };
  limit_.reset();
  turn_ = Turn::App;
  thread_ = std::thread([this, startup = std::move(startup)] {
    int code;
    try {
      code = ui::run_application(backend_, startup);
    } catch (const std::exception&) {
      code = 2;  // it could not start (another run in progress)
    }
    std::lock_guard lock(mutex_);
    exit_code_ = code;
    finished_ = true;
    turn_ = Turn::Test;
    turned_.notify_all();
  });
  std::unique_lock lock(mutex_);
  turned_.wait(lock, [this] { return turn_ == Turn::Test; });
}

bool Session::idle(std::optional<TimePoint> next_due) {
  if (RunLoop::main().has_posted_events() || ui::deliver_input()) return true;
  if (quit_) {
    quit_ = false;
    RunLoop::main().post([] { Quit(); });
    return true;
  }
  bool met = condition_ && condition_();
  bool over = next_due && limit_ && *next_due > *limit_;
  if (!met && !over && next_due) return false;  // let time pass
  if (!met && !over && descriptors_ready()) return true;
  // Here the condition holds, time is up, or nothing can happen any more.
  if (over) clock_->set(*limit_);
  met_ = met;
  park();
  return true;
}

void Session::park() {
  std::unique_lock lock(mutex_);
  turn_ = Turn::Test;
  turned_.notify_all();
  turned_.wait(lock, [this] { return turn_ == Turn::App; });
}

void Session::resume() {
  std::unique_lock lock(mutex_);
  turn_ = Turn::App;
  turned_.notify_all();
  turned_.wait(lock, [this] { return turn_ == Turn::Test; });
}

bool Session::run_until(const std::function<bool()>& condition, Duration limit) {
  if (finished_) return condition();
  condition_ = condition;
  limit_ = now() + limit;
  met_ = false;
  resume();
  condition_ = nullptr;
  limit_.reset();
  return finished_ ? condition() : met_;
}

void Session::run_for(Duration time) {
  run_until([] { return false; }, time);
}

void Session::run_event(std::function<void()> event) {
  if (finished_) return;
  bool ran = false;
  RunLoop::main().post([&ran, event = std::move(event)] {
    ran = true;
    event();
  });
  run_until([&ran] { return ran; });
}

bool Session::settle() {
  return run_until([] { return !ui::input_pending(); });
}

bool Session::press(std::string_view path) {
  auto* b = control<PushButton>(path);
  if (finished_ || !b || !b->reachable()) return false;
  ui::user_press(*b);
  return settle();
}

bool Session::type(std::string_view path, const String& text) {
  auto* f = control<TextField>(path);
  if (finished_ || !f || !f->reachable() || f->ReadOnly()) return false;
  ui::user_type(*f, text);
  return settle();
}

bool Session::key(std::string_view window_name, std::string_view key) {
  Ref<Window> w = window(window_name);
  if (finished_ || !w || !ui::reachable(*w)) return false;
  ui::user_key(*w, key);
  return settle();
}

bool Session::close(std::string_view window_name) {
  Ref<Window> w = window(window_name);
  if (finished_ || !w || !ui::reachable(*w) || !w->CloseButton()) return false;
  ui::user_close(*w);
  return settle();
}

bool Session::resize(std::string_view window_name, int32_t width, int32_t height) {
  Ref<Window> w = window(window_name);
  if (finished_ || !w || !ui::reachable(*w) || !w->Resizeable()) return false;
  ui::user_resize(*w, width, height);
  return settle();
}

bool Session::choose_menu(std::string_view item_name) {
  if (finished_ || !app() || !app()->MenuBar() || !ui::open_message_boxes().empty()) return false;
  Ref<MenuItem> item = app()->MenuBar()->find(item_name);
  if (!item || !item->Enabled()) return false;
  ui::user_choose(*item);
  return settle();
}

bool Session::answer_message_box() {
  const auto& boxes = ui::open_message_boxes();
  if (finished_ || boxes.empty()) return false;
  ui::user_dismiss(*boxes.back());
  return settle();
}

std::optional<std::string> Session::message_box() const {
  const auto& boxes = ui::open_message_boxes();
  if (finished_ || boxes.empty()) return std::nullopt;
  return boxes.back()->Text().utf8();
}

}  // namespace framework::headless
