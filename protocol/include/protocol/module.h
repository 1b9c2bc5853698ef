#pragma once
// The module data of HID: plain variables that start-up, the device search,
// the update steps and the service console read and write directly.
//
// Every item lives from Initialise() to Finalise(). The module is registered
// with the framework, which runs Initialise() at start-up, before any
// application code, and Finalise() after the event loop has ended (Quit
// included), releasing the module data in this order:
//   DeviceMac, MemoryRegions, DeviceWin, logfile, datafile, dataversion,
//   datatitle
// each set to nil (empty) first and its old value released after. The
// integers and the Boolean need nothing.

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/object.h"
#include "framework/string.h"
#include "framework/folderitem.h"
#include "protocol/memory_region.h"

namespace HID {

// Package field 2: the version text shown to the user.
extern framework::String dataversion;
// Package field 6: the firmware as Intel HEX text.
extern framework::String datafile;
// True once the device has been found and connected.
extern bool DeviceFound;
// Package field 3: the title of both windows.
extern framework::String datatitle;
// Package fields 4 and 5: the USB IDs of the device to update.
extern int32_t VendorID;
extern int32_t ProductID;

// DeviceMac (a MyMacHID) and DeviceWin (a WinHIDQVX) are declared by the
// device link, which owns their classes. So that they are released in their
// place of the order above, the device link sets these two: each sets its
// variable to nil and then releases the old value. Empty: nothing to release.
extern std::function<void()> ReleaseDeviceMac;
extern std::function<void()> ReleaseDeviceWin;

// The device's memory regions in the order of the QUERY_DEVICE reply.
// ParseMemoryRegions appends; nothing removes or clears.
extern std::vector<framework::Ref<MemoryRegion>> MemoryRegions;
// Number of elements of MemoryRegions after the last parse: the bound of the
// region loops (regions 0 to memoryRegionsDetected - 1).
extern int32_t memoryRegionsDetected;
// The open debug log file; nil unless a diagnostic build has opened one.
extern framework::Ref<framework::TextOutputStream> logfile;
// Bytes per device address unit: 1 or 2 by the family table, 0 before.
extern int32_t bytesPerAddress;
// QUERY_DEVICE reply byte 1: data bytes per program or read packet.
extern int32_t BytesPerPacket;
// QUERY_DEVICE reply byte 2: the device family.
extern int32_t DeviceFamily;

// Sets every item to its start value (MemoryRegions an empty array).
void Initialise();
// Releases the module data in the order above. Runs as a framework finaliser;
// calling it again finds nothing left to release.
void Finalise() noexcept;

}  // namespace HID
