#pragma once
// The device link of module HID, mac device path: the application's only road
// to the device. SendCommand hands one packet to the connected MyMacHID,
// ReadCommand takes one answer from its receive queue.
//
//   my_mac_hid.h       MyMacHID, the device class with its receive queue
//   mac_hid_members.h  the bound members of the plug-in class MacHIDQVX
//
// Start-up, before the plug-in members are bound:
//   auto members = HID::InstallMacDeviceLink(binder);
// and once they are, MyMacHID objects are made with those members.
// Everything runs on the application's one thread.

#include <memory>

#include "devicelink/mac_hid_members.h"
#include "devicelink/my_mac_hid.h"
#include "framework/memoryblock.h"
#include "framework/object.h"
#include "pluginhost/binder.h"
#include "protocol/bound.h"
#include "protocol/read_mode.h"

namespace HID {

// The connected device; nil until the device search has connected one.
// Released in its place of the module's finalisation.
extern framework::Ref<MyMacHID> DeviceMac;

// The twins: `devicelink` (shipped) and `devicelink_diag`, whose SendCommand
// and ReadCommand also trace (protocol/trace.h).

// Sends one packet as an output report; a diagnostic build first traces it
// (DebugSendCommand). A packet that is not 64 bytes long is warned about
// ("Invalid packet size.") and sent as it is. A failed send writes
// "Lasterror after SendMessage " and the code to the debug log, and nothing
// else. A nil DeviceMac or packet raises NilObjectException.
void SendCommand(const BoundMembers& bound, const framework::Ref<framework::MemoryBlock>& packet);

// One answer from DeviceMac (MyMacHID::Read, immediate when mode is
// Immediate), or nil; the caller owns it. A
// diagnostic build traces an answer that is not nil (DebugReadCommand).
// A nil DeviceMac raises NilObjectException.
framework::Ref<framework::MemoryBlock> ReadCommand(const BoundMembers& bound, ReadMode mode);

// Ties DeviceMac to the module's finalisation and declares the MacHIDQVX
// members to binder; they work once binder has bound. Their EncodingToHexQVX
// is also the log file's hex text: start-up puts it in the BoundMembers.
// Device reports arrive only once the program has put the platform's main run
// loop on the framework's loop.
std::shared_ptr<const MacHIDQVXMembers> InstallMacDeviceLink(pluginhost::Binder& binder);

}  // namespace HID
