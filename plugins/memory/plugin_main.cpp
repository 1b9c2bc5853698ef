#include "definitions.h"
#include "plugincommon/plugincommon.h"

// The host calls this once at load. Nothing else happens at load time.
void REALPluginMain(REALresolverProc resolver) {
  plugincommon::BeginPluginMain(resolver);
  plugincommon::RegisterClassExtension(&qvxmemory::MemoryBlockExtension);
  plugincommon::RegisterClassDefinition(&qvxmemory::MemoryBlockQVXClass);
  plugincommon::RegisterGlobalMethod(&qvxmemory::NewMemoryBlockFromPtrMethod);
}
