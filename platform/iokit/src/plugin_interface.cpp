// The COM-style plug-in interface that IOCreatePlugInInterfaceForService hands
// out for a HID service; its QueryInterface gives the HID device interface.

#include "hid_device.h"
#include "io_registry.h"

#include <cstring>

namespace {

struct PlugIn {
  const IOCFPlugInInterface* table;  // first, so that the object is its own IOCFPlugInInterface**
  ULONG refs;
  hidbus::DeviceInfo device;
};

PlugIn* self_of(void* self) { return static_cast<PlugIn*>(self); }

bool same(REFIID a, CFUUIDRef b) {
  const CFUUIDBytes bytes = CFUUIDGetUUIDBytes(b);
  return std::memcmp(&a, &bytes, sizeof bytes) == 0;
}

ULONG add_ref(void* self) { return ++self_of(self)->refs; }

ULONG release(void* self) {
  PlugIn* p = self_of(self);
  const ULONG left = --p->refs;
  if (left == 0) delete p;
  return left;
}

HRESULT query_interface(void* self, REFIID iid, LPVOID* ppv) {
  if (ppv == nullptr) return E_NOINTERFACE;
  if (same(iid, kIOHIDDeviceInterfaceID)) {
    *ppv = iokit::hid::new_device_interface(self_of(self)->device);
    return S_OK;
  }
  if (same(iid, kIOCFPlugInInterfaceID)) {
    add_ref(self);
    *ppv = self;
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

const IOCFPlugInInterface kTable = {nullptr, query_interface, add_ref, release};

}  // namespace

extern "C" kern_return_t IOCreatePlugInInterfaceForService(io_service_t service, CFUUIDRef pluginType,
                                                           CFUUIDRef interfaceType, IOCFPlugInInterface*** theInterface,
                                                           SInt32* theScore) {
  if (theInterface == nullptr) return kIOReturnBadArgument;
  *theInterface = nullptr;
  const hidbus::DeviceInfo* device = iokit::registry::service_device(service);
  if (device == nullptr) return kIOReturnBadArgument;
  if (pluginType != kIOHIDDeviceUserClientTypeID || interfaceType != kIOCFPlugInInterfaceID)
    return kIOReturnUnsupported;
  auto* p = new PlugIn{&kTable, 1, *device};
  *theInterface = reinterpret_cast<IOCFPlugInInterface**>(p);
  if (theScore != nullptr) *theScore = 0;
  return kIOReturnSuccess;
}
