#pragma once
// The device path as the application uses it: the device class the search
// walks and connects (mac: MyMacHID; win: WinHIDQVX), the module's DeviceMac
// or DeviceWin, and the device link's SendCommand and ReadCommand.
//
// Start-up builds it over the device link into the application's Bound
// (bound.h); tests build it over a simulated one.

#include <cstdint>
#include <functional>
#include <memory>

#include "framework/memoryblock.h"
#include "protocol/read_mode.h"

namespace updater {

// The walk over the HID devices, the same in both device classes.
class DeviceWalk {
 public:
  virtual ~DeviceWalk() = default;
  // The device walk: position on the first (next) HID device; false when
  // there is none (no more).
  virtual bool FindFirstDevice() = 0;
  virtual bool FindNextDevice() = 0;
  // The IDs of the device the walk stands on.
  virtual int32_t VendorID() = 0;
  virtual int32_t ProductID() = 0;
};

// The members of the mac device class that the device search calls.
class DeviceObject : public DeviceWalk {
 public:
  // Opens that device; Lasterror tells how it went (0: connected).
  virtual void Connect() = 0;
  virtual int32_t Lasterror() = 0;
  // From now on the device's input reports reach the receive queue.
  virtual void InstallCallback() = 0;
};

// The members of the win device class that the device search calls.
class WinDeviceObject : public DeviceWalk {
 public:
  // Opens the device the walk stands on; true when connected.
  virtual bool Connect() = 0;
};

struct DevicePath {
  // A new device object (MyMacHID: its Constructor has run).
  std::function<std::shared_ptr<DeviceObject>()> NewDevice;
  // HID::DeviceMac = device (nil included).
  std::function<void(const std::shared_ptr<DeviceObject>& device)> SetDeviceMac;
  // Win: a new WinHIDQVX object, and HID::DeviceWin = device (nil included).
  std::function<std::shared_ptr<WinDeviceObject>()> NewDeviceWin;
  std::function<void(const std::shared_ptr<WinDeviceObject>& device)> SetDeviceWin;
  // HID::SendCommand and HID::ReadCommand of the device link.
  std::function<void(const framework::Ref<framework::MemoryBlock>& packet)> SendCommand;
  std::function<framework::Ref<framework::MemoryBlock>(HID::ReadMode mode)> ReadCommand;
};

}  // namespace updater
