#pragma once
// The members of the plug-in class WinHIDQVX that the win device path binds:
// by class name and declaration text, in the order the class registers them.

#include <cstdint>

#include "framework/memoryblock.h"
#include "framework/object.h"
#include "framework/string.h"
#include "pluginhost/binder.h"

namespace HID {

struct WinHIDQVXMembers {
  template <typename Sig>
  using Method = pluginhost::Method<Sig>;
  using Object = framework::Ref<framework::Object>;
  using Block = framework::Ref<framework::MemoryBlock>;
  using String = framework::String;

  Method<void(Object)> init;
  Method<void(Object)> exit;
  Method<bool(Object)> FindFirstDevice;
  Method<bool(Object)> FindNextDevice;
  Method<int32_t(Object)> ProductID;
  Method<int32_t(Object)> VendorID;
  Method<bool(Object)> Connect;
  Method<int32_t(Object, Block, int32_t, int32_t)> SendMessageMemory;
  Method<Block(Object, int32_t, int32_t)> ReadMessageMemory;
  pluginhost::Property<int32_t> Lasterror;
  // The outside plug-in's hex text of a string's bytes, for the log file.
  Method<String(String)> EncodingToHexQVX;
};

// Declares the members above to binder, in that order; the entries work once
// binder has bound.
WinHIDQVXMembers DeclareWinHIDQVX(pluginhost::Binder& binder);

}  // namespace HID
