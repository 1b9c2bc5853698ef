#pragma once
// Loading the plug-in files.
//
// Every "*.so" file of the folder, in the order of their names, is loaded
// with dlopen and its REALPluginMain called once with the host's resolver, so
// that it registers its classes; call this before the application's own
// start-up and before binding. A file that cannot be loaded, or that lacks
// the export, is named on the debug log and skipped. A file already loaded is
// not called again. Plug-ins stay loaded for the rest of the process.

#include <filesystem>
#include <vector>

namespace pluginhost {

// Returns the files whose REALPluginMain ran. A folder that does not exist
// loads nothing and is named on the debug log.
std::vector<std::filesystem::path> load_plugins(const std::filesystem::path& folder);

// The application's plug-in folder: "X.app/Contents/Frameworks" for an
// executable at "X.app/Contents/MacOS/name", else the folder "Updater Libs"
// beside the executable.
std::filesystem::path bundle_plugin_folder();

}  // namespace pluginhost
