#pragma once
// The scripted user: acts out a script of one action a line while the
// application runs, as a user would, whenever the application waits for
// events. Each line waits until the user could do it, up to `line_limit`.
//
//   press WINDOW.CONTROL        click a push button once it exists and is enabled
//   type WINDOW.CONTROL TEXT    replace a text field's text by TEXT (the rest of the line)
//   key WINDOW KEY              Return, Escape, or a shortcut such as Ctrl+Q
//   menu ITEM                   choose the menu item named ITEM (e.g. FileQuit)
//   close WINDOW                the window's close box
//   screenshot NAME             the backend's picture of every visible window
//   wait MS                     let MS milliseconds pass before the next line
//   # ...                       a comment; blank lines are skipped
//
// Message boxes are answered as they come, for the whole run.

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "framework/clock.h"

namespace framework::ui {

struct ScriptLine {
  int number = 0;                      // from 1
  std::string verb;                    // press, type, key, menu, close, screenshot, wait
  std::string target;                  // WINDOW.CONTROL, WINDOW, ITEM, NAME or MS
  std::string text;                    // type: the text; key: the key
  std::chrono::milliseconds pause{0};  // wait: MS
};

// The lines of a script; throws std::invalid_argument ("line 3: unknown
// action \"push\"") for a line that is not one of the above.
std::vector<ScriptLine> parse_script(std::string_view text);

class ScriptedUser {
 public:
  explicit ScriptedUser(std::vector<ScriptLine> lines, Duration line_limit = std::chrono::seconds(120));

  // The main loop's idle hook (InputWaiter::IdleHook): answers an open message
  // box or acts on the next line when it can; lowers `timeout` while a line
  // waits so that it is asked again. A line that waits beyond its limit fails
  // the script: the failure is written to standard error and the application
  // is made to quit.
  bool on_idle(std::optional<Duration>& timeout);

  bool finished() const { return next_ >= lines_.size(); }
  bool failed() const { return !failure_.empty(); }
  const std::string& failure() const { return failure_; }

 private:
  // Whether the line's action could be done now (and was queued).
  bool act(const ScriptLine& line);
  void fail(const std::string& why);

  std::vector<ScriptLine> lines_;
  std::size_t next_ = 0;
  Duration line_limit_;
  std::optional<TimePoint> waiting_since_;
  std::string failure_;
};

}  // namespace framework::ui
