#pragma once
// The device link of module HID, mac device path: the application's only road
// to the device. SendCommand hands one packet to the connected MyMacHID,
// ReadCommand takes one answer from its receive queue.
//
//   my_mac_hid.h       MyMacHID, the device class with its receive queue
//   mac_hid_members.h  the bound members of the plug-in class MacHIDQVX
//
// Start-up, before the plug-in members are bound:
//   HID::InstallMacDeviceLink(binder);
// Everything runs on the application's one thread.

#include "devicelink/mac_hid_members.h"
#include "devicelink/my_mac_hid.h"
#include "framework/memoryblock.h"
#include "framework/object.h"
#include "pluginhost/binder.h"

namespace HID {

// The connected device; nil until the device search has connected one.
// Released in its place of the module's finalisation.
extern framework::Ref<MyMacHID> DeviceMac;

// Sends one packet as an output report. A packet that is not 64 bytes long
// is warned about ("Invalid packet size.") and sent as it is. A failed send
// writes "Lasterror after SendMessage " and the code to the debug log, and
// nothing else. A nil DeviceMac or packet raises NilObjectException.
void SendCommand(const framework::Ref<framework::MemoryBlock>& packet);

// One answer from DeviceMac (MyMacHID::Read), or nil; the caller owns it.
// A nil DeviceMac raises NilObjectException.
framework::Ref<framework::MemoryBlock> ReadCommand(bool immediate);

// Puts the platform stand-ins' main run loop on the framework's loop (so that
// device reports arrive while the framework dispatches), ties DeviceMac to
// the module's finalisation, and declares the MacHIDQVX members to binder.
void InstallMacDeviceLink(pluginhost::Binder& binder);

// The first of these alone; InstallMacDeviceLink calls it. Repeated calls do nothing.
void InstallPlatformRunLoop();

}  // namespace HID
