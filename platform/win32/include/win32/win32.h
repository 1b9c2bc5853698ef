#pragma once
// Our stand-in for the part of Windows the Windows HID plug-in calls:
//   kernel32.h  types, last error, message texts, device files with
//               overlapped reads, events, threads, libraries loaded at run time
//   setupapi.h  walking the HID device interfaces
//   hid.h       the hid.dll functions, reached through GetProcAddress
//   system.h    (C++) which HID bus it uses and which libraries it has
//
// It sits on the HID bus: every device on the bus is a HID device interface.
// Shared, so that a plug-in and the program that loads it see one system.
// The C functions may be called from any thread.

#include "win32/hid.h"
#include "win32/kernel32.h"
#include "win32/setupapi.h"
