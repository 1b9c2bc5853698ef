#pragma once
// MacHIDQVX, the working build: a handle on one HID device through IOKit,
// whose input reports and removal reach the object as the events
// ReceivedData and DeviceRemoved by way of the main Carbon event queue.
//
// Every member takes the object first and reports through Lasterror; the
// rule per member is in the comment of each function below.

#include "carbon/carbon.h"
#include "iokit/iokit.h"
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
constexpr UInt32 kEventClassQVXH = 0x51565848;  // 'QVXH'
constexpr UInt32 kEventKindReport = 0x48494465;  // 'HIDe'
constexpr UInt32 kEventKindRemoved = 0x48494472;  // 'HIDr'
constexpr EventParamName kParamData = 0x44617461;  // 'Data'
constexpr EventParamName kParamSize = 0x53697A65;  // 'Size'
constexpr EventParamName kParamInst = 0x496E7374;  // 'Inst'
constexpr EventParamName kParamResu = 0x52657375;  // 'Resu'

// The registered class; its word 4 tells where each object's data lies.
extern REALclassDefinition MacHIDClass;
extern REALevent MacHIDEvents[2];
// The main event queue; nil outside the runtime.
extern EventQueueRef MainEventQueue;

MacHIDData* DataOf(REALobject instance);

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
void SendMessageMemory2(REALobject instance, int32_t reportID, int32_t reportType,
                        REALmemoryBlock data, int32_t offset, int32_t length);
// No device interface: -1. Else the IOKit result.
void SendMessageString(REALobject instance, REALstring data);
void SendMessageString2(REALobject instance, int32_t reportID, int32_t reportType,
                        REALstring data);
// Lasterror -1, then the IOKit result. Nil for a length of 0 or less, no
// device interface, no buffer or a failed read.
REALstring ReadMessageString(REALobject instance, int32_t reportID, int32_t reportType,
                             int32_t length);
REALmemoryBlock ReadMessageMemory(REALobject instance, int32_t reportID, int32_t reportType,
                                  int32_t length);

// IOKit's callbacks and the Carbon handler.
void ReaderReportCallback(void* target, IOReturn result, void* refcon, void* sender,
                          UInt32 size);
void MyIOHIDCallbackFunction(void* target, IOReturn result, void* refcon, void* sender);
OSStatus MyEventHandler(EventHandlerCallRef callRef, EventRef event, void* userData);
// Drops the events still waiting for the object, with their report copies.
void FlushEventsFor(REALobject instance);

}  // namespace machid
