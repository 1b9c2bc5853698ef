// A shared library in the plug-in folder that is no plug-in: it lacks the export.
extern "C" __attribute__((visibility("default"))) int NotAPluginMain() { return 1; }
