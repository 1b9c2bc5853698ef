// Compiled with -m32 -fsyntax-only as a build step: the plug-in data of
// MacHIDQVX has the classic offsets and the declared 1080 bytes on a 32-bit
// build.

#include <cstddef>

#include "mac_hid.h"

static_assert(sizeof(void*) == 4, "compile this check with -m32");

using machid::MacHIDData;
static_assert(offsetof(MacHIDData, TimeOut) == 0);
static_assert(offsetof(MacHIDData, Lasterror) == 4);
static_assert(offsetof(MacHIDData, DeviceService) == 8);
static_assert(offsetof(MacHIDData, DeviceInterface) == 12);
static_assert(offsetof(MacHIDData, EventSource) == 16);
static_assert(offsetof(MacHIDData, DeviceProperties) == 20);
static_assert(offsetof(MacHIDData, ServiceIterator) == 24);
static_assert(offsetof(MacHIDData, QueuesStarted) == 28);
static_assert(offsetof(MacHIDData, SourceCreated) == 31);
static_assert(offsetof(MacHIDData, ReportBuffer) == 32);
static_assert(sizeof(MacHIDData) == 1080);
// The pointer parameters of the plug-in's Carbon events are 4 bytes, like the others.
static_assert(sizeof(void*) == sizeof(UInt32));
