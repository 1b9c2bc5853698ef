#pragma once
// MacHIDQVX, the working build: a handle on one HID device through IOKit,
// whose input reports and removal reach the object as the events
// ReceivedData and DeviceRemoved by way of the main Carbon event queue.
//
// Every member takes the object first and reports through Lasterror; the
// rule per member is in the comment of each function in mac_hid_class.h.

#include "carbon/carbon.h"
#include "iokit/iokit.h"
#include "mac_hid_class.h"
#include "plugincommon/plugincommon.h"

#include <cstddef>
#include <cstdint>

namespace machid {

constexpr int kReportBufferSize = 1024;

// The plug-in data of each object, zero-filled by the host. The 32-bit
// fields keep their offsets; pointer fields take pointer size, so on a
// 32-bit build the whole is the declared 1080 bytes.
struct MacHIDData {
  int32_t TimeOut;    // property, parameter 0
  int32_t Lasterror;  // property, parameter 4
  io_service_t DeviceService;
  IOHIDDeviceInterface** DeviceInterface;
  CFRunLoopSourceRef EventSource;
  CFMutableDictionaryRef DeviceProperties;
  io_iterator_t ServiceIterator;
  uint8_t QueuesStarted;
  uint8_t DeviceOpen;
  uint8_t SourceOnRunLoop;
  uint8_t SourceCreated;
  unsigned char* ReportBuffer;  // 16-byte aligned start of the report area
  // Room for the 1024-byte buffer at any alignment.
  unsigned char ReportArea[kReportBufferSize + 20];
};

static_assert(offsetof(MacHIDData, TimeOut) == 0);
static_assert(offsetof(MacHIDData, Lasterror) == 4);
static_assert(sizeof(void*) != 4 || sizeof(MacHIDData) == 1080);

// The Carbon event class and kinds of the plug-in's own messages.
constexpr UInt32 kEventClassQVXH = 0x51565848;     // 'QVXH'
constexpr UInt32 kEventKindReport = 0x48494465;    // 'HIDe'
constexpr UInt32 kEventKindRemoved = 0x48494472;   // 'HIDr'
constexpr EventParamName kParamData = 0x44617461;  // 'Data'
constexpr EventParamName kParamSize = 0x53697A65;  // 'Size'
constexpr EventParamName kParamInst = 0x496E7374;  // 'Inst'
constexpr EventParamName kParamResu = 0x52657375;  // 'Resu'

// The registered class; its word 4 tells where each object's data lies.
inline REALclassDefinition& MacHIDClass = MacHIDTables<MacHIDData>::definition;
inline REALevent (&MacHIDEvents)[2] = MacHIDTables<MacHIDData>::events;
// The main event queue; nil outside the runtime.
extern EventQueueRef MainEventQueue;

MacHIDData* DataOf(REALobject instance);

// The members are declared, with their rules, in mac_hid_class.h.

// IOKit's callbacks and the Carbon handler.
void ReaderReportCallback(void* target, IOReturn result, void* refcon, void* sender, UInt32 size);
void MyIOHIDCallbackFunction(void* target, IOReturn result, void* refcon, void* sender);
OSStatus MyEventHandler(EventHandlerCallRef callRef, EventRef event, void* userData);
// Drops the events still waiting for the object, with their report copies.
void FlushEventsFor(REALobject instance);

}  // namespace machid
