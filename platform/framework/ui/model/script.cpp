#include "framework/ui/script.h"

#include <iostream>

#include "framework/application.h"
#include "framework/runloop.h"
#include "framework/ui/application.h"
#include "framework/ui/backend.h"
#include "framework/ui/desktop.h"
#include "framework/ui/input.h"
#include "framework/ui/push_button.h"
#include "framework/ui/text_field.h"

namespace framework::ui {
namespace {

// While a line waits, the user looks again at least this often.
constexpr auto kLookAgain = std::chrono::milliseconds(20);

std::string_view strip_line_end(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  return line;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Splits off the first word; the rest keeps its inner spaces.
std::string_view next_word(std::string_view& rest) {
  rest = trim(rest);
  std::size_t end = rest.find_first_of(" \t");
  std::string_view word = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return word;
}

std::invalid_argument bad_line(int number, const std::string& why) {
  return std::invalid_argument("line " + std::to_string(number) + ": " + why);
}

}  // namespace

std::vector<ScriptLine> parse_script(std::string_view text) {
  std::vector<ScriptLine> lines;
  int number = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view raw = strip_line_end(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    std::string_view rest = trim(raw);
    if (rest.empty() || rest.front() == '#') continue;
    ScriptLine line;
    line.number = number;
    line.verb = std::string(next_word(rest));
    line.target = std::string(next_word(rest));
    if (line.target.empty()) throw bad_line(number, "\"" + line.verb + "\" needs a target");
    bool has_dot = line.target.find('.') != std::string::npos;
    if (line.verb == "type") {
      // The text is the rest of the line after one blank (blanks at the end
      // of a line are not kept).
      line.text = std::string(rest);
    } else if (line.verb == "key") {
      line.text = std::string(next_word(rest));
      if (line.text.empty()) throw bad_line(number, "\"key\" needs a window and a key");
    }
    if (line.verb == "press" || line.verb == "type") {
      if (!has_dot) throw bad_line(number, "\"" + line.verb + "\" needs WINDOW.CONTROL");
    } else if (line.verb == "wait") {
      // At most eight digits, so that the count cannot overflow.
      if (line.target.find_first_not_of("0123456789") != std::string::npos || line.target.size() > 8)
        throw bad_line(number, "\"wait\" needs milliseconds, not \"" + line.target + "\"");
      line.pause = std::chrono::milliseconds(std::stoll(line.target));
    } else if (line.verb != "key" && line.verb != "menu" && line.verb != "close" && line.verb != "screenshot") {
      throw bad_line(number, "unknown action \"" + line.verb + "\"");
    }
    if (line.verb != "type" && line.verb != "key" && !trim(rest).empty())
      throw bad_line(number, "unexpected \"" + std::string(trim(rest)) + "\"");
    lines.push_back(std::move(line));
  }
  return lines;
}

ScriptedUser::ScriptedUser(std::vector<ScriptLine> lines, Duration line_limit)
    : lines_(std::move(lines)), line_limit_(line_limit) {}

bool ScriptedUser::act(const ScriptLine& line) {
  if (line.verb == "press") {
    auto* b = dynamic_cast<PushButton*>(find_control(line.target));
    if (!b || !b->reachable()) return false;
    user_press(*b);
  } else if (line.verb == "type") {
    auto* f = dynamic_cast<TextField*>(find_control(line.target));
    if (!f || !f->reachable() || f->ReadOnly()) return false;
    user_type(*f, String(line.text));
  } else if (line.verb == "key") {
    Ref<Window> w = find_window(line.target);
    if (!w || !reachable(*w)) return false;
    user_key(*w, line.text);
  } else if (line.verb == "menu") {
    if (!app() || !app()->MenuBar() || !open_message_boxes().empty()) return false;
    Ref<MenuItem> item = app()->MenuBar()->find(line.target);
    if (!item || !item->Enabled()) return false;
    user_choose(*item);
  } else if (line.verb == "close") {
    Ref<Window> w = find_window(line.target);
    if (!w || !reachable(*w) || !w->CloseButton()) return false;
    user_close(*w);
  } else if (line.verb == "screenshot") {
    if (!backend().screenshot(line.target))
      std::cerr << "script: line " << line.number << ": this backend keeps no screenshots\n";
  }
  return true;
}

void ScriptedUser::fail(const std::string& why) {
  failure_ = why;
  std::cerr << "script: " << why << "\n";
  RunLoop::main().post([] { Quit(); });
}

bool ScriptedUser::on_idle(std::optional<Duration>& timeout) {
  if (failed()) return false;
  const auto& boxes = open_message_boxes();
  if (!boxes.empty()) {
    if (!boxes.back()->dismissed()) user_dismiss(*boxes.back());
    return true;
  }
  if (finished()) return false;
  const ScriptLine& line = lines_[next_];
  TimePoint now = RunLoop::main().now();
  if (line.verb == "wait") {
    // The user's own pause: it has no line limit.
    if (!waiting_since_) waiting_since_ = now;
    const Duration left = line.pause - (now - *waiting_since_);
    if (left <= Duration::zero()) {
      ++next_;
      waiting_since_.reset();
      return true;
    }
    if (!timeout || *timeout > left) timeout = left;
    return false;
  }
  if (act(line)) {
    ++next_;
    waiting_since_.reset();
    return true;
  }
  if (!waiting_since_) waiting_since_ = now;
  if (now - *waiting_since_ >= line_limit_) {
    fail("line " + std::to_string(line.number) + ": \"" + line.verb + " " + line.target +
         "\" could not be done within " +
         std::to_string(std::chrono::duration_cast<std::chrono::seconds>(line_limit_).count()) + " s");
    return true;
  }
  if (!timeout || *timeout > kLookAgain) timeout = kLookAgain;
  return false;
}

}  // namespace framework::ui
