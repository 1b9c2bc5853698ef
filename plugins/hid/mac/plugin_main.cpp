// REALPluginMain of QVXMacHID and the registered class MacHIDQVX.

#include "mac_hid.h"

namespace machid {
namespace {

template <typename F>
REALproc entry(F* f) {
  return reinterpret_cast<REALproc>(f);
}

REALproperty MacHIDProperties[] = {
    {0, "Lasterror", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 4, {}},
    {0, "TimeOut", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 0, {}},
};

REALmethodDefinition MacHIDMethods[] = {
    {entry(MacHIDClose), nullptr, "Close", 4, {}},
    {entry(FindFirstDevice), nullptr, "FindFirstDevice as boolean", 4, {}},
    {entry(FindNextDevice), nullptr, "FindNextDevice as boolean", 4, {}},
    {entry(GetProductName), nullptr, "Product as string", 4, {}},
    {entry(GetSerialNumber), nullptr, "SerialNumber as string", 4, {}},
    {entry(GetManufacturerName), nullptr, "Manufacturer as string", 4, {}},
    {entry(GetProductID), nullptr, "ProductID as integer", 4, {}},
    {entry(GetVendorID), nullptr, "VendorID as integer", 4, {}},
    {entry(GetVersionNumber), nullptr, "VersionNumber as integer", 4, {}},
    {entry(doConnect), nullptr, "Connect", 4, {}},
    {entry(doDisconnect), nullptr, "Disconnect", 4, {}},
    {entry(InstallCallback), nullptr, "InstallCallback", 4, {}},
    {entry(SendMessageMemory), nullptr,
     "SendMessageMemory(data as memoryblock, offset as integer, length as integer)", 4, {}},
    {entry(SendMessageString), nullptr, "SendMessage(data as string)", 4, {}},
    {entry(ReadMessageString), nullptr,
     "ReadMessage(ReportID as integer, reportType as integer, length as integer) as string", 4,
     {}},
    {entry(ReadMessageMemory), nullptr,
     "ReadMessageMemory(ReportID as integer, reportType as integer, length as integer) as "
     "memoryblock",
     4,
     {}},
    {entry(SendMessageMemory2), nullptr,
     "SendMessageMemory(ReportID as integer, reportType as integer, data as memoryblock, offset "
     "as integer, length as integer)",
     4,
     {}},
    {entry(SendMessageString2), nullptr,
     "SendMessage(ReportID as integer, reportType as integer, data as string)", 4, {}},
};

REALconstant Constants[] = {
    {"kIOHIDReportTypeInput = 0", {}},
    {"kIOHIDReportTypeOutput = 1", {}},
    {"kIOHIDReportTypeFeature = 2", {}},
};

// The two event types MyEventHandler is installed for.
const EventTypeSpec eventlist[] = {
    {kEventClassQVXH, kEventKindReport},
    {kEventClassQVXH, kEventKindRemoved},
};

}  // namespace

REALevent MacHIDEvents[2] = {
    {"ReceivedData(data as string, size as integer)", 0, {}},
    {"DeviceRemoved(result as integer)", 0, {}},
};

REALclassDefinition MacHIDClass = {
    12,
    "MacHIDQVX",
    nullptr,
    sizeof(MacHIDData),
    0,
    entry(MacHIDConstructor),
    entry(MacHIDDestructor),
    MacHIDProperties,
    2,
    MacHIDMethods,
    18,
    MacHIDEvents,
    2,
    {},
    {},
    Constants,
    3,
    4,
    nullptr,
    0,
    nullptr,
    0,
    {},
};

EventQueueRef MainEventQueue = nullptr;

MacHIDData* DataOf(REALobject instance) {
  return plugincommon::PluginData<MacHIDData>(instance, MacHIDClass);
}

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
    InstallEventHandler(GetApplicationEventTarget(), MyEventHandler, 2, eventlist, nullptr,
                        nullptr);
  }
  plugincommon::RegisterClassDefinition(&MacHIDClass);
}
