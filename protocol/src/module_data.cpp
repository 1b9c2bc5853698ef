#include "framework/application.h"
#include "protocol/module.h"

namespace HID {

framework::String dataversion;
framework::String datafile;
bool DeviceFound = false;
framework::String datatitle;
int32_t VendorID = 0;
int32_t ProductID = 0;
std::function<void()> ReleaseDeviceMac;
std::function<void()> ReleaseDeviceWin;
std::vector<framework::Ref<MemoryRegion>> MemoryRegions;
int32_t memoryRegionsDetected = 0;
framework::Ref<framework::TextOutputStream> logfile;
int32_t bytesPerAddress = 0;
int32_t BytesPerPacket = 0;
int32_t DeviceFamily = 0;

namespace {

// Empties the variable first and releases the old value after, so that
// whatever runs while the old value ends finds the variable already nil.
template <class T>
void Release(T& variable) {
  T old = std::move(variable);
  variable = T();
  old = T();
}

// The framework initialises the module before any application code runs and
// finalises it after the event loop has ended, Quit included.
const bool registered = [] {
  framework::register_module("HID", &Initialise, &Finalise);
  return true;
}();

}  // namespace

void Initialise() {
  dataversion = framework::String();
  datafile = framework::String();
  DeviceFound = false;
  datatitle = framework::String();
  VendorID = 0;
  ProductID = 0;
  MemoryRegions = {};
  memoryRegionsDetected = 0;
  logfile = nullptr;
  bytesPerAddress = 0;
  BytesPerPacket = 0;
  DeviceFamily = 0;
}

void Finalise() noexcept {
  if (ReleaseDeviceMac) ReleaseDeviceMac();
  Release(MemoryRegions);
  if (ReleaseDeviceWin) ReleaseDeviceWin();
  Release(logfile);
  Release(datafile);
  Release(dataversion);
  Release(datatitle);
}

}  // namespace HID
