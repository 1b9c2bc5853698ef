// QVXWinHID.so: the stub WinHIDQVX for the mac variants. It registers the
// class as the working build does and does no device work: most members set
// Lasterror to -1 and give 0, false or nil; nothing is ever raised.

#include "plugincommon/plugincommon.h"
#include "win_hid_data.h"

namespace winhidstub {
namespace {

using winhid::WinHIDData;

template <typename F>
REALproc entry(F* f) {
  return reinterpret_cast<REALproc>(f);
}

extern REALclassDefinition WinHIDClass;

WinHIDData* DataOf(REALobject instance) { return plugincommon::PluginData<WinHIDData>(instance, WinHIDClass); }

// Sets Lasterror to -1.
void Refuse(REALobject instance) {
  if (WinHIDData* data = DataOf(instance)) data->Lasterror = -1;
}

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

#define PLAIN(name, offset) {0, name, "Integer", 6, REALstandardAccessor, REALstandardAccessor, offset, {}}

REALproperty WinHIDProperties[] = {
    PLAIN("Lasterror", 0),
    {0, "LasterrorString", "String", 6, entry(GetLastErrorString), nullptr, 0, {}},
    PLAIN("ReadHandle", 4),
    PLAIN("WriteHandle", 8),
    PLAIN("PnPHandle", 12),
    PLAIN("HidHandle", 16),
    PLAIN("ThreadHandle", 28),
    PLAIN("InputReportByteLength", 36),
    PLAIN("OutputReportByteLength", 40),
    PLAIN("FeatureReportByteLength", 44),
};

#undef PLAIN

REALmethodDefinition WinHIDMethods[] = {
    {entry(PollString), nullptr, "PollString as string", 4, {}},
    {entry(PollMemory), nullptr, "PollMemory as memoryblock", 4, {}},
    {entry(WinHIDDestructor), nullptr, "Close", 4, {}},
    {entry(FindFirstDevice), nullptr, "FindFirstDevice as boolean", 4, {}},
    {entry(FindNextDevice), nullptr, "FindNextDevice as boolean", 4, {}},
    {entry(GetProductName), nullptr, "Product as string", 4, {}},
    {entry(GetDevicePath), nullptr, "DevicePath as string", 4, {}},
    {entry(GetManufacturerName), nullptr, "Manufacturer as string", 4, {}},
    {entry(GetSerialNumber), nullptr, "SerialNumber as string", 4, {}},
    {entry(GetProductID), nullptr, "ProductID as integer", 4, {}},
    {entry(GetVendorID), nullptr, "VendorID as integer", 4, {}},
    {entry(GetVersionNumber), nullptr, "VersionNumber as integer", 4, {}},
    {entry(doConnect), nullptr, "Connect as boolean", 4, {}},
    {entry(doDisconnect), nullptr, "Disconnect", 4, {}},
    {entry(InstallEventHandleR), nullptr, "InstallListener(PollSize as integer) as boolean", 4, {}},
    {entry(SendMessageMemory), nullptr,
     "SendMessageMemory(data as memoryblock, offset as integer, length as integer) as integer", 4, {}},
    {entry(SendMessageString), nullptr, "SendMessage(data as string) as integer", 4, {}},
    {entry(ReadMessageString2), nullptr, "ReadMessage(length as integer, timeOut as Integer = 0) as string", 4, {}},
    {entry(ReadMessageMemory2), nullptr,
     "ReadMessageMemory(length as integer, timeOut as Integer = 0) as memoryblock", 4, {}},
};

REALclassDefinition WinHIDClass = {
    12, "WinHIDQVX", nullptr, sizeof(WinHIDData), 0, entry(WinHIDConstructor), entry(WinHIDDestructor),
    WinHIDProperties, 10, WinHIDMethods, 19, nullptr, 0, {}, {}, nullptr, 0, 4, nullptr, 0, nullptr, 0, {},
};

}  // namespace
}  // namespace winhidstub

extern "C" REALPLUGIN_EXPORT void REALPluginMain(REALresolverProc resolver) {
  plugincommon::BeginPluginMain(resolver);
  plugincommon::RegisterClassDefinition(&winhidstub::WinHIDClass);
}
