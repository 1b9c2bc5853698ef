#include "io_registry.h"

#include "cf_internal.h"
#include "iokit/bus.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace iokit {
namespace {

hidbus::Bus* chosen_bus = nullptr;

struct IoObject {
  virtual ~IoObject() = default;
};

struct Service : IoObject {
  hidbus::DeviceInfo device;
};

struct Iterator : IoObject {
  std::vector<hidbus::DeviceInfo> devices;
  std::size_t next = 0;
};

struct Table {
  std::map<io_object_t, std::unique_ptr<IoObject>> objects;
  io_object_t next_handle = 0x1003;  // never 0, which means none
};

Table& table() {
  static auto* t = new Table;
  return *t;
}

io_object_t add(std::unique_ptr<IoObject> object) {
  auto& t = table();
  const io_object_t handle = t.next_handle++;
  if (t.next_handle == 0) t.next_handle = 1;
  t.objects.emplace(handle, std::move(object));
  return handle;
}

template <typename T>
T* find(io_object_t handle) {
  auto& objects = table().objects;
  auto it = objects.find(handle);
  return it == objects.end() ? nullptr : dynamic_cast<T*>(it->second.get());
}

void set_text(CFMutableDictionaryRef d, const char* key, const std::string& value) {
  if (value.empty()) return;
  CFStringRef text = cf::make_string(value);
  cf::dictionary_set(d, CFStringMakeConstant(key), text);
  CFRelease(text);
}

void set_number(CFMutableDictionaryRef d, const char* key, std::int64_t value) {
  CFNumberRef number = cf::make_number(value);
  cf::dictionary_set(d, CFStringMakeConstant(key), number);
  CFRelease(number);
}

}  // namespace

hidbus::Bus& bus() { return chosen_bus != nullptr ? *chosen_bus : hidbus::default_bus(); }
void set_bus(hidbus::Bus* b) { chosen_bus = b; }

namespace registry {
const hidbus::DeviceInfo* service_device(io_service_t service) {
  const Service* s = find<Service>(service);
  return s != nullptr ? &s->device : nullptr;
}
}  // namespace registry

}  // namespace iokit

using iokit::Iterator;
using iokit::Service;

extern "C" {

CFMutableDictionaryRef IOServiceMatching(const char* name) {
  if (name == nullptr) return nullptr;
  CFMutableDictionaryRef d = iokit::cf::make_dictionary();
  CFStringRef value = iokit::cf::make_string(name);
  iokit::cf::dictionary_set(d, CFSTR(kIOProviderClassKey), value);
  CFRelease(value);
  return d;
}

kern_return_t IOServiceGetMatchingServices(mach_port_t, CFDictionaryRef matching, io_iterator_t* existing) {
  if (matching == nullptr) return kIOReturnBadArgument;
  auto* cls = static_cast<CFStringRef>(CFDictionaryGetValue(matching, CFSTR(kIOProviderClassKey)));
  const bool hid = cls != nullptr && iokit::cf::equal(cls, CFSTR(kIOHIDDeviceKey));
  CFRelease(matching);
  if (existing == nullptr) return kIOReturnBadArgument;
  auto iterator = std::make_unique<Iterator>();
  if (hid) iterator->devices = iokit::bus().enumerate();
  *existing = iokit::add(std::move(iterator));
  return kIOReturnSuccess;
}

io_object_t IOIteratorNext(io_iterator_t handle) {
  Iterator* iterator = iokit::find<Iterator>(handle);
  if (iterator == nullptr || iterator->next >= iterator->devices.size()) return 0;
  auto service = std::make_unique<Service>();
  service->device = iterator->devices[iterator->next++];
  return iokit::add(std::move(service));
}

kern_return_t IOObjectRelease(io_object_t handle) {
  auto& objects = iokit::table().objects;
  auto it = objects.find(handle);
  if (it == objects.end()) return kIOReturnBadArgument;
  objects.erase(it);
  return kIOReturnSuccess;
}

kern_return_t IORegistryEntryCreateCFProperties(io_object_t entry, CFMutableDictionaryRef* properties, CFAllocatorRef,
                                                IOOptionBits) {
  const Service* service = iokit::find<Service>(entry);
  if (service == nullptr || properties == nullptr) return kIOReturnBadArgument;
  const hidbus::DeviceInfo& d = service->device;
  CFMutableDictionaryRef p = iokit::cf::make_dictionary();
  iokit::set_text(p, kIOHIDProductKey, d.product);
  iokit::set_text(p, kIOHIDSerialNumberKey, d.serial_number);
  iokit::set_text(p, kIOHIDManufacturerKey, d.manufacturer);
  iokit::set_number(p, kIOHIDProductIDKey, d.product_id);
  iokit::set_number(p, kIOHIDVendorIDKey, d.vendor_id);
  iokit::set_number(p, kIOHIDVersionNumberKey, d.version);
  *properties = p;
  return kIOReturnSuccess;
}

}  // extern "C"
