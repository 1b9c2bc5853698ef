#pragma once
// The members of the plug-in class MacHIDQVX as the application binds them:
// by class name and declaration text, in the order the class registers them.

#include <cstdint>

#include "framework/memoryblock.h"
#include "framework/object.h"
#include "framework/string.h"
#include "pluginhost/binder.h"

namespace HID {

struct MacHIDQVXMembers {
  template <typename Sig>
  using Method = pluginhost::Method<Sig>;
  using Object = framework::Ref<framework::Object>;
  using Block = framework::Ref<framework::MemoryBlock>;
  using String = framework::String;

  Method<void(Object)> init;
  Method<void(Object)> exit;
  Method<void(Object)> Close;
  Method<bool(Object)> FindFirstDevice;
  Method<bool(Object)> FindNextDevice;
  Method<String(Object)> Product;
  Method<String(Object)> SerialNumber;
  Method<String(Object)> Manufacturer;
  Method<int32_t(Object)> ProductID;
  Method<int32_t(Object)> VendorID;
  Method<int32_t(Object)> VersionNumber;
  Method<void(Object)> Connect;
  Method<void(Object)> Disconnect;
  Method<void(Object)> InstallCallback;
  Method<void(Object, Block, int32_t, int32_t)> SendMessageMemory;
  Method<void(Object, String)> SendMessage;
  Method<String(Object, int32_t, int32_t, int32_t)> ReadMessage;
  Method<Block(Object, int32_t, int32_t, int32_t)> ReadMessageMemory;
  Method<void(Object, int32_t, int32_t, Block, int32_t, int32_t)> SendMessageMemory2;
  Method<void(Object, int32_t, int32_t, String)> SendMessage2;
  pluginhost::Property<int32_t> Lasterror;
  pluginhost::Property<int32_t> TimeOut;
  // The outside plug-in's hex text of a string's bytes, for the "ReceiveData: " line.
  Method<String(String)> EncodingToHexQVX;
};

// Declares the members above to binder, in that order; the entries work once
// binder has bound.
MacHIDQVXMembers DeclareMacHIDQVX(pluginhost::Binder& binder);

}  // namespace HID
