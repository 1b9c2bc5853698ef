// REALPluginMain of QVXMacHID; the class it registers is in mac_hid_class.h.

#include "mac_hid.h"

namespace machid {
namespace {

// The two event types MyEventHandler is installed for.
const EventTypeSpec eventlist[] = {
    {kEventClassQVXH, kEventKindReport},
    {kEventClassQVXH, kEventKindRemoved},
};

}  // namespace

EventQueueRef MainEventQueue = nullptr;

MacHIDData* DataOf(REALobject instance) { return plugincommon::PluginData<MacHIDData>(instance, MacHIDClass); }

}  // namespace machid

extern "C" REALPLUGIN_EXPORT void REALPluginMain(REALresolverProc resolver) {
  using namespace machid;
  plugincommon::BeginPluginMain(resolver);
  // The handler is installed once per process and stays; outside the runtime
  // there is no event traffic to handle.
  static bool handler_installed = false;
  if (!handler_installed && plugincommon::host::REALinRuntime()) {
    handler_installed = true;
    MainEventQueue = GetMainEventQueue();
    InstallEventHandler(GetApplicationEventTarget(), MyEventHandler, 2, eventlist, nullptr, nullptr);
  }
  plugincommon::RegisterClassDefinition(&MacHIDClass);
}
