#pragma once
// The user's input.
//
// A backend (or a scripted user, or a test) reports what the user did with the
// functions below. Each input is queued and later delivered to the main loop as
// a posted event, one at a time and only while the application waits for
// events (the loop is idle), never in the middle of a busy wait that merely
// pumps the loop. So a click never cuts into a step that waits for the device.
// At delivery every input checks again that the user can still reach its
// target; an input that no longer can is dropped.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "framework/runloop.h"
#include "framework/string.h"

namespace framework {
class Window;
class PushButton;
class TextField;
class MenuItem;
class MessageBox;
}  // namespace framework

namespace framework::ui {

// A click on the button.
void user_press(PushButton& button);
// The field's text as the user left it.
void user_type(TextField& field, const String& text);
// A key in the window: "Return" or "Enter" presses its default button,
// "Escape" its cancel button; a shortcut such as "Ctrl+Q" chooses the menu
// item of the application's menu bar that has it.
void user_key(Window& window, std::string_view key);
// The window's close box (only a window that has one).
void user_close(Window& window);
// The user dragged the window's edge (only a resizable window).
void user_resize(Window& window, int32_t width, int32_t height);
void user_move(Window& window, int32_t left, int32_t top);
void user_choose(MenuItem& item);
// The user answered the message box.
void user_dismiss(MessageBox& box);

// Queued input not delivered yet.
bool input_pending();
// Posts the oldest queued input to the main loop; false when there is none.
bool deliver_input();
void clear_input();

// The main loop's idle waiter while a backend runs: delivers queued input
// first, then asks the idle hook (the scripted user), and otherwise waits
// in the backend's own waiter.
class InputWaiter final : public IdleWaiter {
 public:
  // Returns true when it did something the loop should look at; may lower
  // `timeout` to be asked again by then.
  using IdleHook = std::function<bool(std::optional<Duration>& timeout)>;

  explicit InputWaiter(std::unique_ptr<IdleWaiter> inner);
  void set_idle_hook(IdleHook hook) { hook_ = std::move(hook); }

  void wait(std::span<const int> fds, std::optional<Duration> timeout) override;
  void wake() override { inner_->wake(); }
  void dispatch_ready() override { inner_->dispatch_ready(); }

 private:
  std::unique_ptr<IdleWaiter> inner_;
  IdleHook hook_;
};

}  // namespace framework::ui
