#include "devicelink/win_hid_members.h"

namespace HID {

WinHIDQVXMembers DeclareWinHIDQVX(pluginhost::Binder& b) {
  using M = WinHIDQVXMembers;
  using Object = M::Object;
  using Block = M::Block;
  using String = M::String;
  const char* cls = "WinHIDQVX";
  M m;
  m.init = b.method<void(Object)>(cls, "__init");
  m.exit = b.method<void(Object)>(cls, "__exit");
  m.FindFirstDevice = b.method<bool(Object)>(cls, "FindFirstDevice as boolean");
  m.FindNextDevice = b.method<bool(Object)>(cls, "FindNextDevice as boolean");
  m.ProductID = b.method<int32_t(Object)>(cls, "ProductID as integer");
  m.VendorID = b.method<int32_t(Object)>(cls, "VendorID as integer");
  m.Connect = b.method<bool(Object)>(cls, "Connect as boolean");
  m.SendMessageMemory = b.method<int32_t(Object, Block, int32_t, int32_t)>(
      cls, "SendMessageMemory(data as memoryblock, offset as integer, length as integer) as integer");
  m.ReadMessageMemory = b.method<Block(Object, int32_t, int32_t)>(
      cls, "ReadMessageMemory(length as integer, timeOut as Integer = 0) as memoryblock");
  m.Lasterror = b.property<int32_t>(cls, "Lasterror as integer");
  m.EncodingToHexQVX = b.method<String(String)>("", "EncodingToHexQVX(data as string) as string");
  return m;
}

}  // namespace HID
