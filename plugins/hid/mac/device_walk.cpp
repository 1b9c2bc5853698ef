// MacHIDQVX: the walk over every HID device, the identity of the current one,
// connecting and disconnecting it, and the teardown they share.

#include "mac_hid.h"

#include <cstring>

namespace machid {
namespace {

using plugincommon::host::REALBuildString;
using plugincommon::host::REALSetStringEncoding;

// Undoes a connection in the order it was made.
void Teardown(MacHIDData& d) {
  if (d.SourceOnRunLoop) {
    CFRunLoopRemoveSource(CFRunLoopGetMain(), d.EventSource, kCFRunLoopDefaultMode);
    d.SourceOnRunLoop = 0;
  }
  if (d.QueuesStarted) {
    (*d.DeviceInterface)->stopAllQueues(d.DeviceInterface);
    d.QueuesStarted = 0;
  }
  if (d.DeviceOpen) {
    (*d.DeviceInterface)->close(d.DeviceInterface);
    d.DeviceOpen = 0;
  }
  // An interface whose open failed is released too, or every failed connect would keep one.
  if (d.DeviceInterface != nullptr) {
    (*d.DeviceInterface)->Release(d.DeviceInterface);
    d.DeviceInterface = nullptr;
  }
  if (d.SourceCreated) {
    CFRelease(d.EventSource);
    d.SourceCreated = 0;
    d.EventSource = nullptr;
  }
}

void ReleaseService(MacHIDData& d) {
  if (d.DeviceService != 0) {
    IOObjectRelease(d.DeviceService);
    d.DeviceService = 0;
  }
}

void ReleaseIterator(MacHIDData& d) {
  if (d.ServiceIterator != 0) {
    IOObjectRelease(d.ServiceIterator);
    d.ServiceIterator = 0;
  }
}

void ReleaseProperties(MacHIDData& d) {
  if (d.DeviceProperties != nullptr) {
    CFRelease(d.DeviceProperties);
    d.DeviceProperties = nullptr;
  }
}

// Makes service the current device and reads its properties; a device whose
// properties cannot be read is current all the same.
void TakeService(MacHIDData& d, io_service_t service) {
  d.DeviceService = service;
  ReleaseProperties(d);
  CFMutableDictionaryRef properties = nullptr;
  if (IORegistryEntryCreateCFProperties(service, &properties, kCFAllocatorDefault, 0) == kIOReturnSuccess &&
      properties != nullptr)
    d.DeviceProperties = properties;
}

// A CoreFoundation string to a new UTF-8 host string, or nil.
REALstring CFString2RBString(CFStringRef text) {
  if (text == nullptr) return nullptr;
  const CFIndex length = CFStringGetLength(text);
  if (length <= 0) return nullptr;
  // UTF-8 takes at most three bytes per UTF-16 unit, so either buffer holds any text.
  char stack[601] = {};
  char* buffer = stack;
  CFIndex size = 600;
  if (length >= 100) {
    size = 6 * length;
    buffer = static_cast<char*>(plugincommon::AllocZeroed(size + 1));
    if (buffer == nullptr) return nullptr;
  }
  REALstring result = nullptr;
  if (CFStringGetCString(text, buffer, size, kCFStringEncodingUTF8) && buffer[0] != '\0') {
    result = REALBuildString(buffer, static_cast<int32_t>(std::strlen(buffer)));
    if (result != nullptr) REALSetStringEncoding(result, REALEncodingUTF8);
  }
  if (buffer != stack) plugincommon::FreeAlloc(buffer);
  return result;
}

REALstring TextProperty(REALobject instance, const char* key) {
  MacHIDData* d = DataOf(instance);
  d->Lasterror = -1;
  if (d->DeviceProperties == nullptr) return nullptr;
  auto* value = static_cast<CFStringRef>(CFDictionaryGetValue(d->DeviceProperties, CFStringMakeConstant(key)));
  if (value == nullptr) return nullptr;
  d->Lasterror = 0;
  return CFString2RBString(value);
}

int32_t NumberProperty(REALobject instance, const char* key) {
  MacHIDData* d = DataOf(instance);
  d->Lasterror = -1;
  if (d->DeviceProperties == nullptr) return 0;
  auto* value = static_cast<CFNumberRef>(CFDictionaryGetValue(d->DeviceProperties, CFStringMakeConstant(key)));
  if (value == nullptr) return 0;
  int number = 0;
  if (!CFNumberGetValue(value, kCFNumberIntType, &number)) return 0;
  d->Lasterror = 0;
  return number;
}

// The stages of a connection; the code of the first that fails goes to Lasterror.
int32_t Connect(REALobject instance, MacHIDData& d) {
  IOCFPlugInInterface** plugin = nullptr;
  SInt32 score = 0;
  if (IOCreatePlugInInterfaceForService(d.DeviceService, kIOHIDDeviceUserClientTypeID, kIOCFPlugInInterfaceID, &plugin,
                                        &score) != kIOReturnSuccess ||
      plugin == nullptr)
    return 1;
  IOHIDDeviceInterface** device = nullptr;
  const HRESULT found = (*plugin)->QueryInterface(plugin, CFUUIDGetUUIDBytes(kIOHIDDeviceInterfaceID),
                                                  reinterpret_cast<LPVOID*>(&device));
  (*plugin)->Release(plugin);
  if (found != S_OK || device == nullptr) return 2;
  d.DeviceInterface = device;
  if ((*device)->open(device, 0) != kIOReturnSuccess) return 3;
  d.DeviceOpen = 1;
  mach_port_t port = 0;
  if ((*device)->createAsyncPort(device, &port) != kIOReturnSuccess) return 4;
  CFRunLoopSourceRef source = nullptr;
  if ((*device)->createAsyncEventSource(device, &source) != kIOReturnSuccess) return 5;
  d.SourceCreated = 1;
  d.EventSource = source;
  if ((*device)->startAllQueues(device) != kIOReturnSuccess) return 7;
  d.QueuesStarted = 1;
  CFRunLoopAddSource(CFRunLoopGetMain(), source, kCFRunLoopDefaultMode);
  d.SourceOnRunLoop = 1;
  (*device)->setRemovalCallback(device, MyIOHIDCallbackFunction, instance, instance);
  return 0;
}

}  // namespace

void MacHIDConstructor(REALobject instance) { DataOf(instance)->TimeOut = 500; }

void MacHIDClose(REALobject instance) {
  MacHIDData* d = DataOf(instance);
  Teardown(*d);
  ReleaseService(*d);
  ReleaseIterator(*d);
  ReleaseProperties(*d);
}

void MacHIDDestructor(REALobject instance) {
  MacHIDClose(instance);
  // Events still waiting for this object would reach it after its end.
  FlushEventsFor(instance);
}

REALboolean FindFirstDevice(REALobject instance) {
  MacHIDData* d = DataOf(instance);
  d->Lasterror = -1;
  Teardown(*d);
  ReleaseService(*d);
  ReleaseIterator(*d);
  CFMutableDictionaryRef matching = IOServiceMatching(kIOHIDDeviceKey);
  if (matching == nullptr) return false;
  io_iterator_t iterator = 0;
  if (IOServiceGetMatchingServices(kIOMasterPortDefault, matching, &iterator) != kIOReturnSuccess || iterator == 0)
    return false;
  d->ServiceIterator = iterator;
  io_service_t service = IOIteratorNext(iterator);
  if (service == 0) return false;
  TakeService(*d, service);
  return true;
}

REALboolean FindNextDevice(REALobject instance) {
  MacHIDData* d = DataOf(instance);
  ReleaseService(*d);
  if (d->ServiceIterator == 0) return false;
  io_service_t service = IOIteratorNext(d->ServiceIterator);
  if (service == 0) {
    ReleaseIterator(*d);
    return false;
  }
  TakeService(*d, service);
  return true;
}

REALstring GetProductName(REALobject instance) { return TextProperty(instance, kIOHIDProductKey); }
REALstring GetSerialNumber(REALobject instance) { return TextProperty(instance, kIOHIDSerialNumberKey); }
REALstring GetManufacturerName(REALobject instance) { return TextProperty(instance, kIOHIDManufacturerKey); }
int32_t GetProductID(REALobject instance) { return NumberProperty(instance, kIOHIDProductIDKey); }
int32_t GetVendorID(REALobject instance) { return NumberProperty(instance, kIOHIDVendorIDKey); }
int32_t GetVersionNumber(REALobject instance) { return NumberProperty(instance, kIOHIDVersionNumberKey); }

void doConnect(REALobject instance) {
  MacHIDData* d = DataOf(instance);
  d->Lasterror = -1;
  Teardown(*d);
  d->Lasterror = Connect(instance, *d);
}

void doDisconnect(REALobject instance) {
  MacHIDData* d = DataOf(instance);
  d->Lasterror = -1;
  Teardown(*d);
  d->Lasterror = 0;
}

}  // namespace machid
