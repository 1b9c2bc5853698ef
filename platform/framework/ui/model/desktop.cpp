#include "framework/ui/desktop.h"

#include <algorithm>

#include "framework/ui/backend.h"
#include "state.h"

namespace framework::ui {
namespace detail {

State& state() {
  static State* s = new State;  // outlives every window, also at process exit
  return *s;
}

}  // namespace detail

using detail::state;

const std::vector<Ref<Window>>& open_windows() { return state().windows; }

Ref<Window> find_window(std::string_view class_name) {
  const auto& windows = state().windows;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if ((*it)->ClassName() == class_name) return *it;
  }
  return nullptr;
}

Control* find_control(std::string_view path) {
  std::size_t dot = path.find('.');
  if (dot == std::string_view::npos) return nullptr;
  Ref<Window> w = find_window(path.substr(0, dot));
  if (!w) return nullptr;
  return dynamic_cast<Control*>(w->ControlByName(path.substr(dot + 1)).get());
}

const std::vector<Ref<MessageBox>>& open_message_boxes() { return state().boxes; }

Window* modal_window() { return state().modal.empty() ? nullptr : state().modal.back(); }

bool reachable(const Window& window) {
  if (!window.open() || !window.Visible() || !state().boxes.empty()) return false;
  Window* modal = modal_window();
  return !modal || modal == &window;
}

void close_all() {
  // Newest first, as a user would see them go.
  while (!state().windows.empty()) {
    Ref<Window> w = state().windows.back();
    w->Close();
  }
  state().boxes.clear();
  state().modal.clear();
}

}  // namespace framework::ui
