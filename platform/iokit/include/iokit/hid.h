#pragma once
// The IOKit calls the HID plug-in makes: the registry walk over HID devices,
// their properties, and the COM-style HID device interface. C-compatible.
//
// Devices come from the HID bus (hidbus). A device's report channel is read
// only by the main run loop: while its event source is on the loop, every
// input report goes to the interrupt report callback (iokit::kReportsPerTurn
// of them at most in one turn) and a hang-up goes to the removal callback,
// both during a turn of that loop. Main thread only.

#include "iokit/corefoundation.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef SInt32 kern_return_t;
typedef kern_return_t IOReturn;
typedef UInt32 mach_port_t;
typedef mach_port_t io_object_t;
typedef io_object_t io_service_t;
typedef io_object_t io_iterator_t;
typedef UInt32 IOOptionBits;
typedef SInt32 HRESULT;
typedef UInt32 ULONG;
typedef void* LPVOID;
typedef CFUUIDBytes REFIID;

#define kIOMasterPortDefault ((mach_port_t)0)

// Results. Values as the platform gives them, so that logged codes read the same.
#define kIOReturnSuccess ((IOReturn)0)
#define kIOReturnError ((IOReturn)0xE00002BC)
#define kIOReturnNoMemory ((IOReturn)0xE00002BD)
#define kIOReturnBadArgument ((IOReturn)0xE00002C2)
#define kIOReturnNoDevice ((IOReturn)0xE00002C0)
#define kIOReturnNotPermitted ((IOReturn)0xE00002E2)
#define kIOReturnUnsupported ((IOReturn)0xE00002C7)
#define kIOReturnNotOpen ((IOReturn)0xE00002CD)
#define kIOReturnTimeout ((IOReturn)0xE00002D6)
#define kIOReturnOverrun ((IOReturn)0xE00002E8)
#define S_OK ((HRESULT)0)
#define E_NOINTERFACE ((HRESULT)0x80000004)

// "IOProviderClass" of the matching dictionary; "IOHIDDevice" matches every HID device.
#define kIOProviderClassKey "IOProviderClass"
#define kIOHIDDeviceKey "IOHIDDevice"

// Registry properties of a HID device: texts are CF strings, numbers CF numbers.
// A text the device does not have is absent.
#define kIOHIDProductKey "Product"
#define kIOHIDSerialNumberKey "SerialNumber"
#define kIOHIDManufacturerKey "Manufacturer"
#define kIOHIDProductIDKey "ProductID"
#define kIOHIDVendorIDKey "VendorID"
#define kIOHIDVersionNumberKey "VersionNumber"

#define kIOHIDDeviceUserClientTypeID                                                                                 \
  CFUUIDGetConstantUUIDWithBytes(NULL, 0xFA, 0x12, 0xFA, 0x38, 0x6F, 0x1A, 0x11, 0xD4, 0xBA, 0x0C, 0x00, 0x05, 0x02, \
                                 0x8F, 0x18, 0xD5)
#define kIOCFPlugInInterfaceID                                                                                       \
  CFUUIDGetConstantUUIDWithBytes(NULL, 0xC2, 0x44, 0xE8, 0x58, 0x10, 0x9C, 0x11, 0xD4, 0x91, 0xD4, 0x00, 0x50, 0xE4, \
                                 0xC6, 0x42, 0x6F)
#define kIOHIDDeviceInterfaceID                                                                                      \
  CFUUIDGetConstantUUIDWithBytes(NULL, 0x78, 0xBD, 0x42, 0x0C, 0x6F, 0x14, 0x11, 0xD4, 0x94, 0x74, 0x00, 0x05, 0x02, \
                                 0x8F, 0x18, 0xD5)

typedef enum IOHIDReportType {
  kIOHIDReportTypeInput = 0,
  kIOHIDReportTypeOutput = 1,
  kIOHIDReportTypeFeature = 2,
} IOHIDReportType;

// A new dictionary that matches services of the class; the caller owns it.
CFMutableDictionaryRef IOServiceMatching(const char* name);
// Consumes one reference of matching, whatever the result. The iterator walks
// the devices present at the time of the call.
kern_return_t IOServiceGetMatchingServices(mach_port_t masterPort, CFDictionaryRef matching, io_iterator_t* existing);
// The next service, which the caller releases, or 0 at the end.
io_object_t IOIteratorNext(io_iterator_t iterator);
kern_return_t IOObjectRelease(io_object_t object);
// A new dictionary of the service's properties; the caller owns it.
kern_return_t IORegistryEntryCreateCFProperties(io_object_t entry, CFMutableDictionaryRef* properties,
                                                CFAllocatorRef allocator, IOOptionBits options);

typedef void (*IOHIDCallbackFunction)(void* target, IOReturn result, void* refcon, void* sender);
typedef void (*IOHIDReportCallbackFunction)(void* target, IOReturn result, void* refcon, void* sender,
                                            UInt32 bufferSize);

// Every interface is reached through a pointer to a pointer to its function table;
// each function takes that outer pointer as self.
typedef struct IOCFPlugInInterfaceStruct {
  void* _reserved;
  HRESULT (*QueryInterface)(void* self, REFIID iid, LPVOID* ppv);
  ULONG (*AddRef)(void* self);
  ULONG (*Release)(void* self);
} IOCFPlugInInterface;

typedef struct IOHIDDeviceInterfaceStruct {
  void* _reserved;
  HRESULT (*QueryInterface)(void* self, REFIID iid, LPVOID* ppv);
  ULONG (*AddRef)(void* self);
  ULONG (*Release)(void* self);
  // A new source (the caller releases it) that delivers this device's reports
  // and removal while it is on the main run loop.
  IOReturn (*createAsyncEventSource)(void* self, CFRunLoopSourceRef* source);
  IOReturn (*createAsyncPort)(void* self, mach_port_t* port);
  IOReturn (*open)(void* self, UInt32 flags);
  IOReturn (*close)(void* self);
  IOReturn (*setRemovalCallback)(void* self, IOHIDCallbackFunction callback, void* target, void* refcon);
  IOReturn (*startAllQueues)(void* self);
  IOReturn (*stopAllQueues)(void* self);
  // Synchronous only: callback must be nil. Waits at most timeoutMS.
  IOReturn (*setReport)(void* self, IOHIDReportType reportType, UInt32 reportID, void* reportBuffer,
                        UInt32 reportBufferSize, UInt32 timeoutMS, IOHIDReportCallbackFunction callback, void* target,
                        void* refcon);
  // Synchronous only: takes the next input report, waiting at most timeoutMS;
  // *reportBufferSize is the buffer's size on entry, the report's length on return.
  IOReturn (*getReport)(void* self, IOHIDReportType reportType, UInt32 reportID, void* reportBuffer,
                        UInt32* reportBufferSize, UInt32 timeoutMS, IOHIDReportCallbackFunction callback, void* target,
                        void* refcon);
  // Each input report is copied into buffer (cut to size) before callback runs.
  IOReturn (*setInterruptReportHandlerCallback)(void* self, void* reportBuffer, UInt32 reportBufferSize,
                                                IOHIDReportCallbackFunction callback, void* target, void* refcon);
} IOHIDDeviceInterface;

kern_return_t IOCreatePlugInInterfaceForService(io_service_t service, CFUUIDRef pluginType, CFUUIDRef interfaceType,
                                                IOCFPlugInInterface*** theInterface, SInt32* theScore);

#ifdef __cplusplus
}
#endif
