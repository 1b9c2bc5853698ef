// Picks the UI backend at start-up and starts the scripted user.
#include <dlfcn.h>

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "fileread/fileread.h"
#include "framework/ui/headless.h"
#include "framework/ui/qt.h"
#include "framework/ui/run.h"
#include "framework/ui/script.h"

namespace framework::qt {
namespace {

// The module as the program's own libraries are found (LD_LIBRARY_PATH, its
// RUNPATH, the system's folders). Looked up here rather than by dlopen with
// the bare name, which searches the RUNPATH of its caller, and that is the
// sanitizer's runtime when dlopen is intercepted.
std::string module_path() {
  void* program = dlopen(nullptr, RTLD_NOW);
  Dl_serinfo size;
  if (program && dlinfo(program, RTLD_DI_SERINFOSIZE, &size) == 0) {
    std::vector<std::max_align_t> buffer(size.dls_size / sizeof(std::max_align_t) + 1);
    auto* info = reinterpret_cast<Dl_serinfo*>(buffer.data());
    *info = size;
    if (dlinfo(program, RTLD_DI_SERINFO, info) == 0) {
      for (unsigned i = 0; i < info->dls_cnt; ++i) {
        std::filesystem::path file = std::filesystem::path(info->dls_serpath[i].dls_name) / kModuleFile;
        std::error_code error;
        if (std::filesystem::is_regular_file(file, error)) return file.string();
      }
    }
  }
  return kModuleFile;  // not found: dlopen says so in its own words
}

}  // namespace

std::unique_ptr<ui::Backend> load_backend() {
  using Entry = ui::Backend* (*)();
  // Kept loaded once found: Qt does not take being unloaded well.
  static Entry entry = nullptr;
  if (!entry) {
    void* module = dlopen(module_path().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
      std::cerr << "FRAMEWORK_UI=qt: cannot load the Qt backend: " << dlerror() << "\n";
      return nullptr;
    }
    entry = reinterpret_cast<Entry>(dlsym(module, kModuleEntry));
    if (!entry) {
      std::cerr << "FRAMEWORK_UI=qt: " << kModuleFile << " has no " << kModuleEntry << "\n";
      return nullptr;
    }
  }
  return std::unique_ptr<ui::Backend>(entry());
}

}  // namespace framework::qt

namespace framework::ui {
namespace {

// Exit codes of a run that could not start, and of a failed script.
constexpr int kCannotStart = 2;
constexpr int kScriptFailed = 3;

bool set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

std::string chosen_backend() {
  if (set("FRAMEWORK_UI")) return std::getenv("FRAMEWORK_UI");
  if (set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM")) return "qt";
  return "headless";
}

}  // namespace

int run_with_chosen_backend(const Startup& startup) {
  Startup s = startup;
  std::unique_ptr<ScriptedUser> user;
  if (set("FRAMEWORK_SCRIPT")) {
    const char* path = std::getenv("FRAMEWORK_SCRIPT");
    const fileread::FileRead script = fileread::read_file(path);
    if (!script.ok()) {
      std::cerr << "FRAMEWORK_SCRIPT: cannot read " << path << ": " << script.reason() << "\n";
      return kCannotStart;
    }
    try {
      user = std::make_unique<ScriptedUser>(parse_script(script.bytes));
    } catch (const std::invalid_argument& e) {
      std::cerr << "FRAMEWORK_SCRIPT: " << path << ": " << e.what() << "\n";
      return kCannotStart;
    }
    s.idle_hook = [u = user.get()](std::optional<Duration>& timeout) { return u->on_idle(timeout); };
  }

  std::string name = chosen_backend();
  std::unique_ptr<Backend> backend;
  if (name == "headless") {
    backend = std::make_unique<headless::HeadlessBackend>(headless::HeadlessBackend::Options{&std::cout, true});
  } else if (name == "qt") {
#ifdef FRAMEWORK_UI_HAVE_QT
    backend = qt::load_backend();
    if (!backend) return kCannotStart;  // it has said why
#else
    std::cerr << "FRAMEWORK_UI=qt: this build has no Qt backend\n";
    return kCannotStart;
#endif
  } else {
    std::cerr << "FRAMEWORK_UI: unknown backend \"" << name << "\" (headless or qt)\n";
    return kCannotStart;
  }

  int code = run_application(*backend, s);
  if (user && user->failed()) return kScriptFailed;
  return code;
}

}  // namespace framework::ui
