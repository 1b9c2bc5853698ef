#pragma once
// Start-up of an application with windows.
//
//   int main() { return framework::run<App, MenuBar1>(); }
//
// run<A, M>() picks the UI backend (FRAMEWORK_UI=headless|qt; without it qt
// when DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set, else headless),
// then, inside the framework's top level (application.h): makes the A
// object, attaches a new M as its menu bar, starts the scripted user when
// FRAMEWORK_SCRIPT names a script, raises A's Event_Open once and runs the
// event loop until Quit. An exception that reaches the top level is
// shown in a message box; the exit code is then 1. A script that fails makes
// the exit code 3. An unknown FRAMEWORK_UI or a backend that cannot start
// gives exit code 2 before anything runs.
//
// run<A, M>() is in the library framework_ui_app; run_application (one given
// backend) is in framework_ui.

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "framework/object.h"
#include "framework/ui/application.h"
#include "framework/ui/backend.h"
#include "framework/ui/input.h"
#include "framework/ui/menu.h"
#include "framework/ui/subclass.h"

namespace framework {
namespace ui {

struct Startup {
  std::function<void()> prepare;                       // runs first; may be empty
  std::function<Ref<Application>()> make_application;  // empty: a plain Application
  std::function<Ref<MenuBar>()> make_menu_bar;         // empty: no menu bar
  // The main loop's clock (nullptr: the steady clock) and the idle hook of
  // the scripted user or a test (see input.h).
  std::shared_ptr<Clock> clock;
  InputWaiter::IdleHook idle_hook;
};

// Runs with `backend`; see above.
int run_application(Backend& backend, const Startup& startup);
// Runs with the backend FRAMEWORK_UI asks for.
int run_with_chosen_backend(const Startup& startup);

// The objects a Startup makes: A from `args`, and M; each class must have
// its own class record.
template <class A, class... Args>
Ref<Application> new_application(Args&&... args) {
  check_own_class_record<A>();
  return Ref<Application>(make<A>(std::forward<Args>(args)...));
}
template <class M>
Ref<MenuBar> new_menu_bar() {
  check_own_class_record<M>();
  return Ref<MenuBar>(make<M>());
}

}  // namespace ui

template <class A, class M = MenuBar>
int run() {
  ui::Startup s;
  s.make_application = [] { return ui::new_application<A>(); };
  s.make_menu_bar = ui::new_menu_bar<M>;
  return ui::run_with_chosen_backend(s);
}

// The same, with A made from what `start_up` returns: make<A>(start_up()).
// start_up runs inside the top level, before A is made, so it may quit.
template <class A, class M = MenuBar, class F>
int run_made_from(F start_up) {
  using Made = std::invoke_result_t<F&>;
  auto made = std::make_shared<std::optional<Made>>();
  ui::Startup s;
  s.prepare = [made, start_up = std::move(start_up)]() mutable { made->emplace(start_up()); };
  s.make_application = [made] { return ui::new_application<A>(std::move(**made)); };
  s.make_menu_bar = ui::new_menu_bar<M>;
  return ui::run_with_chosen_backend(s);
}

}  // namespace framework
