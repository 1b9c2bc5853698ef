#include "outside.h"
#include "plugincommon/plugincommon.h"

extern "C" REALPLUGIN_EXPORT void REALPluginMain(REALresolverProc resolver) {
  plugincommon::BeginPluginMain(resolver);
  outside::RegisterJPEGImporter();
  outside::RegisterStringFunctions();
}
