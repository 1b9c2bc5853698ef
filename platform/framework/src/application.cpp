#include "framework/application.h"

#include <mutex>
#include <new>
#include <stdexcept>
#include <vector>

#include "framework/exceptions.h"
#include "framework/runloop.h"
#include "framework/system.h"

namespace framework {
namespace {

// What Quit throws. Deliberately not a std::exception, so that handlers for
// framework or standard exceptions let it pass.
struct QuitUnwind {
  int code;
};

struct Module {
  std::string name;
  std::function<void()> initialise;
  std::function<void()> finalise;
};

struct State {
  std::mutex mutex;
  std::vector<Module> modules;
  std::function<void(const String&)> reporter;
};

State& state() {
  static State* s = new State;
  return *s;
}

bool g_running = false;

String unhandled_text(const std::string& class_name) {
  return String("An exception of class " + class_name + " was not handled. The application must shut down.");
}

void report(const String& text) {
  std::function<void(const String&)> reporter;
  {
    std::lock_guard lock(state().mutex);
    reporter = state().reporter;
  }
  if (!reporter) {
    System::DebugLog(text);
    return;
  }
  try {
    reporter(text);
  } catch (...) {
    // The reporter (a message box) may itself quit or fail; the text still goes out.
    System::DebugLog(text);
  }
}

// Runs `body`; returns the exit code it ends with: 0 for a normal end or Quit,
// 1 when an exception escaped (it is reported).
int guarded(const std::function<void()>& body) {
  try {
    body();
    return 0;
  } catch (const QuitUnwind& quit) {
    return quit.code;
  } catch (const RuntimeException& e) {
    report(unhandled_text(e.class_name()));
  } catch (const std::bad_alloc&) {
    report(unhandled_text("OutOfMemoryException"));
  } catch (const std::exception& e) {
    System::DebugLog(String(std::string("Unhandled error: ") + e.what()));
    report(unhandled_text("RuntimeException"));
  } catch (...) {
    report(unhandled_text("RuntimeException"));
  }
  return 1;
}

std::vector<Module> modules_snapshot() {
  std::lock_guard lock(state().mutex);
  return state().modules;
}

}  // namespace

int run(const std::function<void()>& start) {
  if (g_running) throw std::logic_error("framework::run is already running");
  g_running = true;
  RunLoop& loop = RunLoop::main();
  std::vector<Module> modules = modules_snapshot();

  int code = guarded([&] {
    for (const Module& m : modules) {
      if (m.initialise) m.initialise();
    }
    if (start) start();
    loop.run_nested([] { return false; });
  });

  // Every module is finalised even when one fails; a failure makes the exit code non-zero.
  for (const Module& m : modules) {
    if (!m.finalise) continue;
    int rc = guarded(m.finalise);
    if (rc != 0 && code == 0) code = rc;
  }
  loop.reset();
  dispose_live_objects();
  g_running = false;
  return code;
}

void Quit() {
  if (!g_running) throw std::logic_error("Quit outside framework::run");
  throw QuitUnwind{0};
}

bool running() { return g_running; }

void register_module(const std::string& name, std::function<void()> initialise, std::function<void()> finalise) {
  std::lock_guard lock(state().mutex);
  for (Module& m : state().modules) {
    if (m.name == name) {
      m.initialise = std::move(initialise);
      m.finalise = std::move(finalise);
      return;
    }
  }
  state().modules.push_back({name, std::move(initialise), std::move(finalise)});
}

void unregister_module(const std::string& name) {
  std::lock_guard lock(state().mutex);
  auto& modules = state().modules;
  std::erase_if(modules, [&](const Module& m) { return m.name == name; });
}

void set_exception_reporter(std::function<void(const String& message)> reporter) {
  std::lock_guard lock(state().mutex);
  state().reporter = std::move(reporter);
}

}  // namespace framework
