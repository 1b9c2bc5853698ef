#pragma once
// The plug-in data of every WinHIDQVX object, shared by the working build and
// the stub: the host creates it zero-filled and reads and writes the plain
// properties at these offsets itself.
//
// Handles are kept as 32-bit values, at the same offsets on every build; the
// two buffer pointers take pointer size, so on a 32-bit build the whole is the
// declared 1096 bytes.

#include <cstddef>
#include <cstdint>

namespace winhid {

// Room for the device-interface detail record: its size word and 500 UTF-16
// units of path.
constexpr int kDetailBytes = 1004;
constexpr int kPathUnits = (kDetailBytes - 4) / 2;

struct WinHIDData {
  int32_t Lasterror;
  uint32_t ReadHandle;    // overlapped reads; 0 when not connected
  uint32_t WriteHandle;   // synchronous writes; 0 when not connected
  uint32_t PnPHandle;     // device-information set of the walk; 0 when none
  uint32_t HidHandle;     // current device for identity queries; 0 none, 0xFFFFFFFF failed open
  uint32_t ReadyEvent;    // listener: the mailbox is free
  uint32_t DataEvent;     // listener: the mailbox holds a report
  uint32_t ThreadHandle;  // listener thread
  int32_t DeviceIndex;
  int32_t InputReportByteLength;
  int32_t OutputReportByteLength;
  int32_t FeatureReportByteLength;
  uint32_t ThreadId;
  uint8_t ListenerRunning;  // shared with the listener thread: atomic access only
  uint8_t ListenerDone;     // likewise
  int32_t PollSize;
  int32_t PollCount;
  unsigned char InterfaceGuid[16];
  uint32_t DetailSize;  // the detail record: size word, then the zero-terminated path
  uint16_t DevicePath[kPathUnits];
  unsigned char* PollBuffer;
  unsigned char* ReadBuffer;
  unsigned char Unused[4];
};

static_assert(offsetof(WinHIDData, ReadHandle) == 4);
static_assert(offsetof(WinHIDData, ThreadHandle) == 28);
static_assert(offsetof(WinHIDData, DeviceIndex) == 32);
static_assert(offsetof(WinHIDData, FeatureReportByteLength) == 44);
static_assert(offsetof(WinHIDData, ListenerRunning) == 52);
static_assert(offsetof(WinHIDData, PollSize) == 56);
static_assert(offsetof(WinHIDData, InterfaceGuid) == 64);
static_assert(offsetof(WinHIDData, DetailSize) == 80);
static_assert(offsetof(WinHIDData, DevicePath) == 84);
static_assert(sizeof(void*) != 4 || offsetof(WinHIDData, PollBuffer) == 1084);
static_assert(sizeof(void*) != 4 || offsetof(WinHIDData, ReadBuffer) == 1088);
static_assert(sizeof(void*) != 4 || sizeof(WinHIDData) == 1096);

}  // namespace winhid
