// REALPluginMain of libQVXWinHID.Win32 and the registered class WinHIDQVX.

#include "win_hid.h"

namespace winhid {
namespace {

template <typename F>
REALproc entry(F* f) {
  return reinterpret_cast<REALproc>(f);
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

// The file's registration step.
void RegisterClasses() { plugincommon::RegisterClassDefinition(&WinHIDClass); }

}  // namespace

REALclassDefinition WinHIDClass = {
    12,
    "WinHIDQVX",
    nullptr,
    sizeof(WinHIDData),
    0,
    entry(WinHIDConstructor),
    entry(WinHIDDestructor),
    WinHIDProperties,
    10,
    WinHIDMethods,
    19,
    nullptr,
    0,
    {},
    {},
    nullptr,
    0,
    4,
    nullptr,
    0,
    nullptr,
    0,
    {},
};

WinHIDData* DataOf(REALobject instance) { return plugincommon::PluginData<WinHIDData>(instance, WinHIDClass); }

void CloseField(uint32_t& field) {
  if (field == 0) return;
  CloseHandle(AsHandle(field));
  field = 0;
}

}  // namespace winhid

extern "C" REALPLUGIN_EXPORT void REALPluginMain(REALresolverProc resolver) {
  plugincommon::BeginPluginMain(resolver);
  winhid::RegisterClasses();
}
