#pragma once
// The UI backend: shows what the window model holds and reports the user's
// input back as framework events (see input.h). The model calls these hooks
// on the main loop's thread as things change; a backend never calls
// application code from them.

#include <memory>
#include <string>

#include "framework/runloop.h"
#include "framework/ui/control.h"

namespace framework {
class Window;
class MessageBox;
}  // namespace framework

namespace framework::ui {

class Backend {
 public:
  virtual ~Backend() = default;

  // The idle waiter for the main loop while this backend runs; nullptr keeps
  // the loop's poll waiter.
  virtual std::unique_ptr<IdleWaiter> make_idle_waiter() { return nullptr; }

  virtual void window_shown(Window&) {}
  virtual void window_hidden(Window&) {}
  // Title, position or size.
  virtual void window_changed(Window&) {}
  virtual void window_closed(Window&) {}
  virtual void control_changed(Control&, ControlChange) {}
  virtual void message_box_opened(MessageBox&) {}
  virtual void message_box_closed(MessageBox&) {}
  // The application's menu bar was attached or one of its items changed.
  virtual void menu_bar_changed() {}
  // Keeps a picture of every visible window under `name` where the backend
  // can (see the backend's header); false when it cannot.
  virtual bool screenshot(const std::string& name) {
    (void)name;
    return false;
  }
  // The application ends: called once, while its windows are still there.
  virtual void stopping() {}
};

// The backend in use; one that shows nothing when none was set.
Backend& backend();
// Sets the backend; nullptr goes back to the one that shows nothing.
void set_backend(Backend* backend);
// Whether a backend was set. Without one a message box has nobody to answer
// it: MsgBox then writes its text to the debug log and returns.
bool has_backend();

}  // namespace framework::ui
