#include "devicelink/mac_hid_members.h"

namespace HID {

MacHIDQVXMembers DeclareMacHIDQVX(pluginhost::Binder& b) {
  using M = MacHIDQVXMembers;
  using Object = M::Object;
  using Block = M::Block;
  using String = M::String;
  const char* cls = "MacHIDQVX";
  M m;
  m.init = b.method<void(Object)>(cls, "__init");
  m.exit = b.method<void(Object)>(cls, "__exit");
  m.Close = b.method<void(Object)>(cls, "Close");
  m.FindFirstDevice = b.method<bool(Object)>(cls, "FindFirstDevice as boolean");
  m.FindNextDevice = b.method<bool(Object)>(cls, "FindNextDevice as boolean");
  m.Product = b.method<String(Object)>(cls, "Product as string");
  m.SerialNumber = b.method<String(Object)>(cls, "SerialNumber as string");
  m.Manufacturer = b.method<String(Object)>(cls, "Manufacturer as string");
  m.ProductID = b.method<int32_t(Object)>(cls, "ProductID as integer");
  m.VendorID = b.method<int32_t(Object)>(cls, "VendorID as integer");
  m.VersionNumber = b.method<int32_t(Object)>(cls, "VersionNumber as integer");
  m.Connect = b.method<void(Object)>(cls, "Connect");
  m.Disconnect = b.method<void(Object)>(cls, "Disconnect");
  m.InstallCallback = b.method<void(Object)>(cls, "InstallCallback");
  m.SendMessageMemory = b.method<void(Object, Block, int32_t, int32_t)>(
      cls, "SendMessageMemory(data as memoryblock, offset as integer, length as integer)");
  m.SendMessage = b.method<void(Object, String)>(cls, "SendMessage(data as string)");
  m.ReadMessage = b.method<String(Object, int32_t, int32_t, int32_t)>(
      cls, "ReadMessage(ReportID as integer, reportType as integer, length as integer) as string");
  m.ReadMessageMemory = b.method<Block(Object, int32_t, int32_t, int32_t)>(
      cls,
      "ReadMessageMemory(ReportID as integer, reportType as integer, length as integer) as "
      "memoryblock");
  m.SendMessageMemory2 = b.method<void(Object, int32_t, int32_t, Block, int32_t, int32_t)>(
      cls,
      "SendMessageMemory(ReportID as integer, reportType as integer, data as memoryblock, offset "
      "as integer, length as integer)");
  m.SendMessage2 = b.method<void(Object, int32_t, int32_t, String)>(
      cls, "SendMessage(ReportID as integer, reportType as integer, data as string)");
  m.Lasterror = b.property<int32_t>(cls, "Lasterror as integer");
  m.TimeOut = b.property<int32_t>(cls, "TimeOut as integer");
  m.EncodingToHexQVX = b.method<String(String)>("", "EncodingToHexQVX(data as string) as string");
  return m;
}

}  // namespace HID
