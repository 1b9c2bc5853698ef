#pragma once
// The class WinHIDQVX as both its builds register it, the working one
// (libQVXWinHID.Win32) and the stub (QVXWinHID): the same members,
// declarations, flags and order over the one plug-in data layout. Each build
// defines the routines below; the rule in each comment is the working
// build's, the stub gives its neutral results. "-1" means Lasterror is set
// to -1 when the member starts.

#include <cstdint>

#include "plugincommon/plugincommon.h"
#include "win_hid_data.h"

namespace winhid {

// Constructor: binds hid.dll. Nothing else.
void WinHIDConstructor(REALobject instance);
// Close and destructor: stops the listener, closes every handle, ends the
// walk, frees the listener's buffers. Lasterror, the path and the report
// lengths stay.
void WinHIDDestructor(REALobject instance);

// -1; runs Close, then takes interface 0 of a new walk. 0 when the device
// could be opened, else the open's system error (still true). False (-1) when
// there is no HID device or no hid.dll.
REALboolean FindFirstDevice(REALobject instance);
// Lasterror untouched. The next interface of the walk, opened for identity
// only; false at the end of the walk.
REALboolean FindNextDevice(REALobject instance);
// -1; 0 when the device answered (nil for an empty text), 1 when the HID call
// failed. Nil also without a device handle or entry point (-1 stays).
REALstring GetProductName(REALobject instance);
REALstring GetManufacturerName(REALobject instance);
REALstring GetSerialNumber(REALobject instance);
// -1; 0 with the 16-bit value. 0 when it cannot be had (-1 stays).
int32_t GetProductID(REALobject instance);
int32_t GetVendorID(REALobject instance);
int32_t GetVersionNumber(REALobject instance);
// Lasterror untouched. The current interface's path, nil when there is none.
REALstring GetDevicePath(REALobject instance);
// Lasterror untouched. The system's text for Lasterror, line end included;
// nil when it has none.
REALstring GetLastErrorString(REALobject instance, REALsword param);

// -1; disconnects (a running listener stops), then opens the current device
// twice: for writes and for overlapped reads. 0 and true when both opened,
// else the system error of the second open and false.
REALboolean doConnect(REALobject instance);
// 0. Stops a running listener and closes the two report handles; the walk stays.
void doDisconnect(REALobject instance);

// -1; writes the bytes as one report: 0 and the bytes written, or the system
// error and 0. SendMessageMemory writes nothing for a nil block or a range
// outside the block (ERROR_INVALID_PARAMETER).
int32_t SendMessageMemory(REALobject instance, REALmemoryBlock data, int32_t offset, int32_t length);
int32_t SendMessageString(REALobject instance, REALstring data);
// -1; nil for a length of 0 or less. Then the system's last error after the
// read started: 997 when it had to wait (also after a read that then
// completed), 0 when it completed at once, else the read's error. Waits at
// most timeOut ms (-1: without end); a read that did not complete in time is
// cancelled.
REALstring ReadMessageString2(REALobject instance, int32_t length, int32_t timeOut);
REALmemoryBlock ReadMessageMemory2(REALobject instance, int32_t length, int32_t timeOut);

// Lasterror untouched by these. Stops a running listener; true when a new one
// runs, reading PollSize bytes a report. False for a PollSize below 1, no
// memory or no connection.
REALboolean InstallEventHandleR(REALobject instance, int32_t pollSize);
// The report the listener holds, nil when none; taking it frees the mailbox
// for the next one.
REALstring PollString(REALobject instance);
REALmemoryBlock PollMemory(REALobject instance);

namespace tables {

using plugincommon::Entry;

#define PLAIN(name, offset)                                                       \
  {                                                                               \
    0, name, "Integer", 6, REALstandardAccessor, REALstandardAccessor, offset, {} \
  }

inline REALproperty properties[] = {
    PLAIN("Lasterror", 0),
    {0, "LasterrorString", "String", 6, Entry(GetLastErrorString), nullptr, 0, {}},
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

inline REALmethodDefinition methods[] = {
    {Entry(PollString), nullptr, "PollString as string", 4, {}},
    {Entry(PollMemory), nullptr, "PollMemory as memoryblock", 4, {}},
    {Entry(WinHIDDestructor), nullptr, "Close", 4, {}},
    {Entry(FindFirstDevice), nullptr, "FindFirstDevice as boolean", 4, {}},
    {Entry(FindNextDevice), nullptr, "FindNextDevice as boolean", 4, {}},
    {Entry(GetProductName), nullptr, "Product as string", 4, {}},
    {Entry(GetDevicePath), nullptr, "DevicePath as string", 4, {}},
    {Entry(GetManufacturerName), nullptr, "Manufacturer as string", 4, {}},
    {Entry(GetSerialNumber), nullptr, "SerialNumber as string", 4, {}},
    {Entry(GetProductID), nullptr, "ProductID as integer", 4, {}},
    {Entry(GetVendorID), nullptr, "VendorID as integer", 4, {}},
    {Entry(GetVersionNumber), nullptr, "VersionNumber as integer", 4, {}},
    {Entry(doConnect), nullptr, "Connect as boolean", 4, {}},
    {Entry(doDisconnect), nullptr, "Disconnect", 4, {}},
    {Entry(InstallEventHandleR), nullptr, "InstallListener(PollSize as integer) as boolean", 4, {}},
    {Entry(SendMessageMemory),
     nullptr,
     "SendMessageMemory(data as memoryblock, offset as integer, length as integer) as integer",
     4,
     {}},
    {Entry(SendMessageString), nullptr, "SendMessage(data as string) as integer", 4, {}},
    {Entry(ReadMessageString2), nullptr, "ReadMessage(length as integer, timeOut as Integer = 0) as string", 4, {}},
    {Entry(ReadMessageMemory2),
     nullptr,
     "ReadMessageMemory(length as integer, timeOut as Integer = 0) as memoryblock",
     4,
     {}},
};

}  // namespace tables

inline REALclassDefinition WinHIDClass = {
    12,
    "WinHIDQVX",
    nullptr,
    sizeof(WinHIDData),
    0,
    plugincommon::Entry(WinHIDConstructor),
    plugincommon::Entry(WinHIDDestructor),
    tables::properties,
    plugincommon::CountOf(tables::properties),
    tables::methods,
    plugincommon::CountOf(tables::methods),
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

}  // namespace winhid
