#pragma once
// WinHIDQVX, the working build (libQVXWinHID.Win32): a handle on one HID
// device through SetupAPI, hid.dll (loaded at run time) and device files,
// with an optional listener thread that collects input reports for polling.
// It raises no events.
//
// Every member takes the object first; the members are declared, each with
// its rule for Lasterror, in win_hid_class.h. Strings and memory blocks
// returned are new (one reference for the caller) or nil.

#include <cstdint>

#include "plugin_interface.h"
#include "plugincommon/plugincommon.h"
#include "win32/win32.h"
#include "win_hid_class.h"
#include "win_hid_data.h"

namespace winhid {

WinHIDData* DataOf(REALobject instance);

// Handles live in 32-bit fields; the stand-in's handles fit them.
inline HANDLE AsHandle(uint32_t field) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(static_cast<int32_t>(field)));
}
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

// Ends the listener thread (it leaves its loop within about 10 ms) and closes
// the two events. PollBuffer stays.
void StopListener(WinHIDData* data);

}  // namespace winhid
