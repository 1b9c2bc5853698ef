#pragma once
// WinHIDQVX, the working build (libQVXWinHID.Win32): a handle on one HID
// device through SetupAPI, hid.dll (loaded at run time) and device files,
// with an optional listener thread that collects input reports for polling.
// It raises no events.
//
// Every member takes the object first. Its rule for Lasterror is in its
// comment; "-1" means it is set to -1 when the member starts. Strings and
// memory blocks returned are new (one reference for the caller) or nil.

#include <cstdint>

#include "plugin_interface.h"
#include "plugincommon/plugincommon.h"
#include "win32/win32.h"
#include "win_hid_data.h"

namespace winhid {

extern REALclassDefinition WinHIDClass;
WinHIDData* DataOf(REALobject instance);

// Handles live in 32-bit fields; the stand-in's handles fit them.
inline HANDLE AsHandle(uint32_t field) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(static_cast<int32_t>(field))); }
inline uint32_t AsField(HANDLE handle) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle)); }
// Closes a handle field that is not 0 and sets it to 0.
void CloseField(uint32_t& field);

// The hid.dll entry points, process-wide; each nil while the library or the
// name is missing.
struct HidLibrary {
  HidD_GetHidGuidProc GetHidGuid;
  HidD_GetProductStringProc GetProductString;
  HidD_GetManufacturerStringProc GetManufacturerString;
  HidD_GetAttributesProc GetAttributes;
  HidD_GetSerialNumberStringProc GetSerialNumberString;
  HidD_GetPreparsedDataProc GetPreparsedData;
  HidP_GetCapsProc GetCaps;
  HidD_FreePreparsedDataProc FreePreparsedData;
};
extern HidLibrary gHid;

// Loads hid.dll once and looks its entry points up again.
void BindHidLibrary();
// The three report lengths of the device HidHandle is open on; unchanged when
// that cannot be asked, all 0 when the capabilities cannot be read.
void UpdateReportCaps(WinHIDData* data);

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
// Ends the listener thread (it leaves its loop within about 10 ms) and closes
// the two events. PollBuffer stays.
void StopListener(WinHIDData* data);

}  // namespace winhid
