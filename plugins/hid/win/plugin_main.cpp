// REALPluginMain of libQVXWinHID.Win32; the class it registers is in win_hid_class.h.

#include "win_hid.h"

namespace winhid {

WinHIDData* DataOf(REALobject instance) { return plugincommon::PluginData<WinHIDData>(instance, WinHIDClass); }

void CloseField(uint32_t& field) {
  if (field == 0) return;
  CloseHandle(AsHandle(field));
  field = 0;
}

}  // namespace winhid

extern "C" REALPLUGIN_EXPORT void REALPluginMain(REALresolverProc resolver) {
  plugincommon::BeginPluginMain(resolver);
  plugincommon::RegisterClassDefinition(&winhid::WinHIDClass);
}
