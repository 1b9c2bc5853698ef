#include "framework/ui/run.h"

#include "framework/application.h"
#include "framework/runloop.h"
#include "framework/ui/desktop.h"
#include "framework/ui/msgbox.h"
#include "state.h"

namespace framework::ui {
namespace {

const char* const kModule = "framework.ui";

// After the loop has ended: the backend's last look, then every window goes
// without application code, then the application object.
void tear_down(Backend& backend) {
  backend.stopping();
  close_all();
  clear_input();
  detail::state().application = nullptr;
}

}  // namespace

int run_application(Backend& backend, const Startup& startup) {
  RunLoop& loop = RunLoop::main();
  set_backend(&backend);
  loop.set_clock(startup.clock);
  auto waiter = std::make_unique<InputWaiter>(backend.make_idle_waiter());
  waiter->set_idle_hook(startup.idle_hook);
  loop.set_idle_waiter(std::move(waiter));
  set_exception_reporter([](const String& message) { MsgBox(message); });
  register_module(kModule, {}, [&backend] { tear_down(backend); });

  int code = framework::run([&startup] {
    if (startup.prepare) startup.prepare();
    Ref<Application> application = startup.make_application ? startup.make_application() : make<Application>();
    detail::state().application = application;
    if (startup.make_menu_bar) application->set_MenuBar(startup.make_menu_bar());
    application->Event_Open();
  });

  unregister_module(kModule);
  set_exception_reporter({});
  set_backend(nullptr);
  return code;
}

}  // namespace framework::ui
