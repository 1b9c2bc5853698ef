#pragma once
// The class MacHIDQVX as both its builds register it, the working one
// (QVXMacHID) and the stub (libQVXMacHID.Win32): the same members,
// declarations, flags, events and constants in the same order. Each build
// defines the routines below and names its plug-in data; the rule in each
// comment is the working build's, the stub gives its neutral results.

#include <cstdint>

#include "plugincommon/plugincommon.h"

namespace machid {

// Constructor: TimeOut 500.
void MacHIDConstructor(REALobject instance);
// Close: teardown, then the walk and properties released. Lasterror
// untouched. Reports already posted for the object stay queued: it lives on.
void MacHIDClose(REALobject instance);
// Destructor: Close, then the events still waiting for the object dropped.
void MacHIDDestructor(REALobject instance);

// Lasterror -1, whatever the outcome. False when there is no HID device.
REALboolean FindFirstDevice(REALobject instance);
// Lasterror untouched. False at the end of the walk.
REALboolean FindNextDevice(REALobject instance);
// Lasterror -1; 0 once the key was found. A new UTF-8 string, or nil.
REALstring GetProductName(REALobject instance);
REALstring GetSerialNumber(REALobject instance);
REALstring GetManufacturerName(REALobject instance);
// Lasterror -1; 0 when the number was read. 0 when not.
int32_t GetProductID(REALobject instance);
int32_t GetVendorID(REALobject instance);
int32_t GetVersionNumber(REALobject instance);
// Lasterror 0, or the stage that failed: 1, 2, 3, 4, 5 or 7.
void doConnect(REALobject instance);
// Lasterror 0.
void doDisconnect(REALobject instance);

// Lasterror -1 without a device interface, else the IOKit result.
void InstallCallback(REALobject instance);
// Nil data: NilObjectException "Memoryblock is nil", Lasterror untouched.
// No device interface: -1. A range outside the block: kIOReturnBadArgument
// and nothing is sent. Else the IOKit result.
void SendMessageMemory(REALobject instance, REALmemoryBlock data, int32_t offset, int32_t length);
void SendMessageMemory2(REALobject instance, int32_t reportID, int32_t reportType, REALmemoryBlock data, int32_t offset,
                        int32_t length);
// No device interface: -1. Else the IOKit result.
void SendMessageString(REALobject instance, REALstring data);
void SendMessageString2(REALobject instance, int32_t reportID, int32_t reportType, REALstring data);
// Lasterror -1, then the IOKit result. Nil for a length of 0 or less, no
// device interface, no buffer or a failed read.
REALstring ReadMessageString(REALobject instance, int32_t reportID, int32_t reportType, int32_t length);
REALmemoryBlock ReadMessageMemory(REALobject instance, int32_t reportID, int32_t reportType, int32_t length);

// `Data` is the build's plug-in data; its size is the class's data size.
template <typename Data>
struct MacHIDTables {
  static inline REALproperty properties[] = {
      {0, "Lasterror", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 4, {}},
      {0, "TimeOut", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 0, {}},
  };

  static inline REALmethodDefinition methods[] = {
      {plugincommon::Entry(MacHIDClose), nullptr, "Close", 4, {}},
      {plugincommon::Entry(FindFirstDevice), nullptr, "FindFirstDevice as boolean", 4, {}},
      {plugincommon::Entry(FindNextDevice), nullptr, "FindNextDevice as boolean", 4, {}},
      {plugincommon::Entry(GetProductName), nullptr, "Product as string", 4, {}},
      {plugincommon::Entry(GetSerialNumber), nullptr, "SerialNumber as string", 4, {}},
      {plugincommon::Entry(GetManufacturerName), nullptr, "Manufacturer as string", 4, {}},
      {plugincommon::Entry(GetProductID), nullptr, "ProductID as integer", 4, {}},
      {plugincommon::Entry(GetVendorID), nullptr, "VendorID as integer", 4, {}},
      {plugincommon::Entry(GetVersionNumber), nullptr, "VersionNumber as integer", 4, {}},
      {plugincommon::Entry(doConnect), nullptr, "Connect", 4, {}},
      {plugincommon::Entry(doDisconnect), nullptr, "Disconnect", 4, {}},
      {plugincommon::Entry(InstallCallback), nullptr, "InstallCallback", 4, {}},
      {plugincommon::Entry(SendMessageMemory),
       nullptr,
       "SendMessageMemory(data as memoryblock, offset as integer, length as integer)",
       4,
       {}},
      {plugincommon::Entry(SendMessageString), nullptr, "SendMessage(data as string)", 4, {}},
      {plugincommon::Entry(ReadMessageString),
       nullptr,
       "ReadMessage(ReportID as integer, reportType as integer, length as integer) as string",
       4,
       {}},
      {plugincommon::Entry(ReadMessageMemory),
       nullptr,
       "ReadMessageMemory(ReportID as integer, reportType as integer, length as integer) as memoryblock",
       4,
       {}},
      {plugincommon::Entry(SendMessageMemory2),
       nullptr,
       "SendMessageMemory(ReportID as integer, reportType as integer, data as memoryblock, offset as integer, "
       "length as integer)",
       4,
       {}},
      {plugincommon::Entry(SendMessageString2),
       nullptr,
       "SendMessage(ReportID as integer, reportType as integer, data as string)",
       4,
       {}},
  };

  static inline REALevent events[] = {
      {"ReceivedData(data as string, size as integer)", 0, {}},
      {"DeviceRemoved(result as integer)", 0, {}},
  };

  static inline REALconstant constants[] = {
      {"kIOHIDReportTypeInput = 0", {}},
      {"kIOHIDReportTypeOutput = 1", {}},
      {"kIOHIDReportTypeFeature = 2", {}},
  };

  static inline REALclassDefinition definition = {
      12,
      "MacHIDQVX",
      nullptr,
      sizeof(Data),
      0,
      plugincommon::Entry(MacHIDConstructor),
      plugincommon::Entry(MacHIDDestructor),
      properties,
      plugincommon::CountOf(properties),
      methods,
      plugincommon::CountOf(methods),
      events,
      plugincommon::CountOf(events),
      {},
      {},
      constants,
      plugincommon::CountOf(constants),
      4,
      nullptr,
      0,
      nullptr,
      0,
      {},
  };
};

}  // namespace machid
