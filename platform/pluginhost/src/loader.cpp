#include "pluginhost/loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <system_error>

#include "framework/folderitem.h"
#include "framework/system.h"
#include "pluginhost/call_frame.h"
#include "pluginhost/host.h"

namespace pluginhost {
namespace {

void Log(const std::string& line) { framework::System::DebugLog(framework::String(line)); }

std::mutex loaded_mutex;
std::set<void*>& loaded() {
  static auto* handles = new std::set<void*>;
  return *handles;
}

}  // namespace

std::vector<std::filesystem::path> load_plugins(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->path().extension() == ".so" && it->is_regular_file(error)) files.push_back(it->path());
  }
  if (error) {
    Log("Plug-in folder cannot be read: " + folder.string());
    return {};
  }
  std::sort(files.begin(), files.end());

  std::vector<std::filesystem::path> ran;
  for (const auto& file : files) {
    // Each plug-in keeps its symbols to itself; they reach the host only
    // through the resolver.
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* why = dlerror();
      Log("Plug-in cannot be loaded: " + file.string() + (why ? std::string(": ") + why : std::string()));
      continue;
    }
    auto main = reinterpret_cast<REALPluginMainProc>(dlsym(handle, "REALPluginMain"));
    if (main == nullptr) {
      Log("Plug-in has no REALPluginMain: " + file.string());
      dlclose(handle);
      continue;
    }
    {
      std::lock_guard lock(loaded_mutex);
      if (!loaded().insert(handle).second) {
        dlclose(handle);  // drops the reference this dlopen added
        continue;
      }
    }
    CallFrame frame;
    main(resolver());
    try {
      frame.finish();
    } catch (const std::exception& e) {
      Log("Plug-in raised while registering: " + file.string() + ": " + e.what());
    }
    ran.push_back(file);
  }
  return ran;
}

std::filesystem::path bundle_plugin_folder() {
  std::filesystem::path exe = framework::ExecutableFile()->path();
  std::filesystem::path macos = exe.parent_path();
  std::filesystem::path contents = macos.parent_path();
  if (macos.filename() == "MacOS" && contents.filename() == "Contents" &&
      contents.parent_path().extension() == ".app") {
    return contents / "Frameworks";
  }
  return macos / "Updater Libs";
}

}  // namespace pluginhost
