// A shared library in the plug-in folder that is no plug-in: it lacks the export.
extern "C" __attribute__((visibility("default"))) int NotAPluginMain() { return 1; }

#include <cstdlib>

// Loading it would show.
__attribute__((constructor)) static void Loaded() { setenv("PLUGINHOST_TEST_NO_MAIN_LOADED", "1", 1); }
