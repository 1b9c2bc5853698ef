#pragma once
// The device link of module HID, win device path: SendCommand writes one
// packet to the connected WinHIDQVX, ReadCommand reads one answer from it
// with a time-out. Library `devicelink_win`; it takes the place of the mac
// link (device_link.h) in the win variant.
//
// Start-up, before the plug-in members are bound:
//   auto members = HID::InstallWinDeviceLink(binder);
// and once they are, the link's calls go through those members.
// Everything runs on the application's one thread.

#include <memory>

#include "devicelink/win_hid_members.h"
#include "framework/memoryblock.h"
#include "framework/object.h"
#include "pluginhost/binder.h"
#include "protocol/bound.h"
#include "protocol/read_mode.h"

namespace HID {

// The connected device, an instance of the plug-in class WinHIDQVX; nil until
// the device search has connected one. Released in its place of the module's
// finalisation.
extern framework::Ref<framework::Object> DeviceWin;

// Sends one packet as an output report (SendMessageMemory(packet, 0, Size));
// the result and Lasterror are not looked at. A packet that is not 64 bytes
// long is warned about ("Invalid packet size.") and sent as it is. A nil
// DeviceWin or packet raises NilObjectException.
void SendCommand(const WinHIDQVXMembers& members, const BoundMembers& bound,
                 const framework::Ref<framework::MemoryBlock>& packet);

// One input report of up to 64 bytes, read within 1000 ms, or nil; the caller
// owns it. The mode has no effect on this path. A nil DeviceWin raises
// NilObjectException.
framework::Ref<framework::MemoryBlock> ReadCommand(const WinHIDQVXMembers& members, const BoundMembers& bound,
                                                   ReadMode mode);

// Ties DeviceWin to the module's finalisation and declares the WinHIDQVX
// members to binder; they work once binder has bound. Their EncodingToHexQVX
// is also the log file's hex text: start-up puts it in the BoundMembers.
std::shared_ptr<const WinHIDQVXMembers> InstallWinDeviceLink(pluginhost::Binder& binder);

}  // namespace HID
