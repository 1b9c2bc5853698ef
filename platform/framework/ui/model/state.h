#pragma once
// The window model's shared state, private to the model's files.

#include <deque>
#include <functional>
#include <vector>

#include "framework/ui/application.h"
#include "framework/ui/msgbox.h"
#include "framework/ui/window.h"

namespace framework::ui::detail {

struct State {
  std::vector<Ref<Window>> windows;         // open, oldest first
  std::vector<Window*> modal;               // ShowModal in progress, innermost last
  std::vector<Ref<MessageBox>> boxes;       // open, newest last
  std::deque<std::function<void()>> input;  // queued user input
  Ref<Application> application;
};

// Main-thread state; the headless session hands the thread over in turns.
State& state();

}  // namespace framework::ui::detail
