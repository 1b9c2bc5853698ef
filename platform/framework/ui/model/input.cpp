#include "framework/ui/input.h"

#include <algorithm>
#include <cctype>

#include "framework/ui/application.h"
#include "framework/ui/desktop.h"
#include "framework/ui/menu.h"
#include "framework/ui/push_button.h"
#include "framework/ui/text_field.h"
#include "framework/ui/window.h"
#include "state.h"

namespace framework::ui {

using detail::state;

namespace {

void queue(std::function<void()> input) {
  state().input.push_back(std::move(input));
  RunLoop::main().idle_waiter().wake();
}

bool same_key(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

Ref<MenuItem> item_with_shortcut(MenuItem& item, std::string_view key) {
  if (!item.KeyboardShortcut().empty() && same_key(platform_shortcut(item.KeyboardShortcut().utf8()), key))
    return Ref<MenuItem>(&item);
  for (const Ref<MenuItem>& c : item.children()) {
    if (Ref<MenuItem> found = item_with_shortcut(*c, key)) return found;
  }
  return nullptr;
}

}  // namespace

void user_press(PushButton& button) {
  queue([b = Ref<PushButton>(&button)] {
    if (b->reachable()) b->Push();
  });
}

void user_type(TextField& field, const String& text) {
  queue([f = Ref<TextField>(&field), text] {
    if (f->reachable()) f->typed(text);
  });
}

void user_key(Window& window, std::string_view key) {
  queue([w = Ref<Window>(&window), key = std::string(key)] {
    if (!reachable(*w)) return;
    if (same_key(key, "Return") || same_key(key, "Enter")) {
      w->press_default();
    } else if (same_key(key, "Escape")) {
      w->press_cancel();
    } else if (app() && app()->MenuBar()) {
      if (Ref<MenuItem> item = item_with_shortcut(*app()->MenuBar(), key)) item->choose();
    }
  });
}

void user_close(Window& window) {
  queue([w = Ref<Window>(&window)] {
    if (reachable(*w) && w->CloseButton()) w->Close();
  });
}

void user_resize(Window& window, int32_t width, int32_t height) {
  queue([w = Ref<Window>(&window), width, height] {
    if (reachable(*w) && w->Resizeable()) w->resize(width, height);
  });
}

void user_move(Window& window, int32_t left, int32_t top) {
  queue([w = Ref<Window>(&window), left, top] {
    if (!w->open()) return;
    w->set_Left(left);
    w->set_Top(top);
  });
}

void user_choose(MenuItem& item) {
  queue([i = Ref<MenuItem>(&item)] {
    if (open_message_boxes().empty()) i->choose();
  });
}

void user_dismiss(MessageBox& box) {
  queue([b = Ref<MessageBox>(&box)] { b->dismiss(); });
}

bool input_pending() { return !state().input.empty(); }

bool deliver_input() {
  auto& input = state().input;
  if (input.empty()) return false;
  std::function<void()> next = std::move(input.front());
  input.pop_front();
  RunLoop::main().post(std::move(next));
  return true;
}

void clear_input() { state().input.clear(); }

InputWaiter::InputWaiter(std::unique_ptr<IdleWaiter> inner)
    : inner_(inner ? std::move(inner) : std::make_unique<PollWaiter>()) {}

void InputWaiter::wait(std::span<const int> fds, std::optional<Duration> timeout) {
  if (deliver_input()) return;
  if (hook_ && hook_(timeout)) return;
  if (deliver_input()) return;
  inner_->wait(fds, timeout);
}

}  // namespace framework::ui
