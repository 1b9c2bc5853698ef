// QVXWinHID.so: the stub WinHIDQVX for the mac variants. It registers the
// class as the working build does and does no device work: most members set
// Lasterror to -1 and give 0, false or nil; nothing is ever raised.

#include "plugincommon/plugincommon.h"
#include "win_hid_class.h"

namespace winhid {
namespace {

WinHIDData* DataOf(REALobject instance) { return plugincommon::PluginData<WinHIDData>(instance, WinHIDClass); }

// Sets Lasterror to -1.
void Refuse(REALobject instance) {
  if (WinHIDData* data = DataOf(instance)) data->Lasterror = -1;
}

}  // namespace

void WinHIDConstructor(REALobject) {}
void WinHIDDestructor(REALobject) {}

// Lasterror untouched.
REALstring PollString(REALobject) { return nullptr; }
REALmemoryBlock PollMemory(REALobject) { return nullptr; }
REALboolean FindNextDevice(REALobject) { return false; }
REALboolean InstallEventHandleR(REALobject, int32_t) { return false; }
REALstring GetLastErrorString(REALobject, REALsword) { return nullptr; }
// The path as the working build gives it; nothing here ever writes one.
REALstring GetDevicePath(REALobject instance) {
  WinHIDData* data = DataOf(instance);
  return data ? plugincommon::StringFromUTF16(data->DevicePath) : nullptr;
}

// Lasterror -1.
REALboolean FindFirstDevice(REALobject instance) { return Refuse(instance), false; }
REALstring GetProductName(REALobject instance) { return Refuse(instance), nullptr; }
REALstring GetManufacturerName(REALobject instance) { return Refuse(instance), nullptr; }
REALstring GetSerialNumber(REALobject instance) { return Refuse(instance), nullptr; }
int32_t GetProductID(REALobject instance) { return Refuse(instance), 0; }
int32_t GetVendorID(REALobject instance) { return Refuse(instance), 0; }
int32_t GetVersionNumber(REALobject instance) { return Refuse(instance), 0; }
REALboolean doConnect(REALobject instance) { return Refuse(instance), false; }
int32_t SendMessageMemory(REALobject instance, REALmemoryBlock, int32_t, int32_t) { return Refuse(instance), 0; }
int32_t SendMessageString(REALobject instance, REALstring) { return Refuse(instance), 0; }
REALstring ReadMessageString2(REALobject instance, int32_t, int32_t) { return Refuse(instance), nullptr; }
REALmemoryBlock ReadMessageMemory2(REALobject instance, int32_t, int32_t) { return Refuse(instance), nullptr; }

// Lasterror 0.
void doDisconnect(REALobject instance) {
  if (WinHIDData* data = DataOf(instance)) data->Lasterror = 0;
}

}  // namespace winhid

extern "C" REALPLUGIN_EXPORT void REALPluginMain(REALresolverProc resolver) {
  plugincommon::BeginPluginMain(resolver);
  plugincommon::RegisterClassDefinition(&winhid::WinHIDClass);
}
