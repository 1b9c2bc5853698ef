// The walk over the HID device interfaces and the current device's identity.

#include <cstring>
#include <initializer_list>

#include "win_hid.h"

namespace winhid {
namespace {

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

GUID Guid(const WinHIDData* data) {
  GUID guid;
  std::memcpy(&guid, data->InterfaceGuid, sizeof guid);
  return guid;
}

SP_DEVICE_INTERFACE_DETAIL_DATA_W* Detail(WinHIDData* data) {
  return reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(&data->DetailSize);
}

// Interface DeviceIndex of the walk into DetailData; false when there is none
// or its path cannot be had. The path is only cleared once the interface exists.
bool TakeInterface(WinHIDData* data) {
  GUID guid = Guid(data);
  SP_DEVICE_INTERFACE_DATA interface {};
  interface.cbSize = sizeof interface;
  if (!SetupDiEnumDeviceInterfaces(AsHandle(data->PnPHandle), nullptr, &guid, static_cast<DWORD>(data->DeviceIndex),
                                   &interface)) {
    return false;
  }
  data->DetailSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  data->DevicePath[0] = 0;
  DWORD required = 0;
  // The whole record is offered, so a long path does not end the walk early.
  return SetupDiGetDeviceInterfaceDetailW(AsHandle(data->PnPHandle), &interface, Detail(data), kDetailBytes - 4,
                                          &required, nullptr) != FALSE;
}

HANDLE OpenPath(const WinHIDData* data, DWORD access) {
  return CreateFileW(data->DevicePath, access, kShareReadWrite, nullptr, OPEN_EXISTING, 0, nullptr);
}

REALstring StringGetter(REALobject instance, HidD_GetStringProc call) {
  WinHIDData* data = DataOf(instance);
  data->Lasterror = -1;
  if (data->HidHandle == 0 || call == nullptr) return nullptr;
  uint16_t text[128] = {};  // 256 bytes; 254 offered, so the last unit stays 0
  if (!call(AsHandle(data->HidHandle), text, 254)) {
    data->Lasterror = 1;
    return nullptr;
  }
  data->Lasterror = 0;
  return plugincommon::StringFromUTF16(text);
}

enum class Attribute { ProductID, VendorID, VersionNumber };

int32_t NumberGetter(REALobject instance, Attribute which) {
  WinHIDData* data = DataOf(instance);
  data->Lasterror = -1;
  if (gHid.GetAttributes == nullptr || data->HidHandle == 0) return 0;
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof attributes;
  if (!gHid.GetAttributes(AsHandle(data->HidHandle), &attributes)) return 0;
  data->Lasterror = 0;
  switch (which) {
    case Attribute::ProductID:
      return attributes.ProductID;
    case Attribute::VendorID:
      return attributes.VendorID;
    case Attribute::VersionNumber:
      return attributes.VersionNumber;
  }
  return 0;
}

}  // namespace

REALboolean FindFirstDevice(REALobject instance) {
  WinHIDData* data = DataOf(instance);
  data->Lasterror = -1;
  if (gHid.GetHidGuid == nullptr) return false;
  WinHIDDestructor(instance);
  data->DeviceIndex = 0;
  GUID guid{};
  gHid.GetHidGuid(&guid);
  std::memcpy(data->InterfaceGuid, &guid, sizeof guid);
  HDEVINFO set = SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return false;
  data->PnPHandle = AsField(set);
  if (!TakeInterface(data)) return false;
  HANDLE device = INVALID_HANDLE_VALUE;
  for (DWORD access : {DWORD{GENERIC_READ | GENERIC_WRITE}, DWORD{0}, DWORD{MAXIMUM_ALLOWED}}) {
    device = OpenPath(data, access);
    if (device != INVALID_HANDLE_VALUE) break;
  }
  data->HidHandle = AsField(device);
  data->Lasterror = device != INVALID_HANDLE_VALUE ? 0 : static_cast<int32_t>(GetLastError());
  UpdateReportCaps(data);
  return true;
}

REALboolean FindNextDevice(REALobject instance) {
  WinHIDData* data = DataOf(instance);
  data->DeviceIndex += 1;
  CloseField(data->HidHandle);
  if (data->PnPHandle == 0) return false;
  if (!TakeInterface(data)) return false;
  data->HidHandle = AsField(OpenPath(data, 0));
  UpdateReportCaps(data);
  return true;
}

REALstring GetProductName(REALobject instance) { return StringGetter(instance, gHid.GetProductString); }
REALstring GetManufacturerName(REALobject instance) { return StringGetter(instance, gHid.GetManufacturerString); }
REALstring GetSerialNumber(REALobject instance) { return StringGetter(instance, gHid.GetSerialNumberString); }

int32_t GetProductID(REALobject instance) { return NumberGetter(instance, Attribute::ProductID); }
int32_t GetVendorID(REALobject instance) { return NumberGetter(instance, Attribute::VendorID); }
int32_t GetVersionNumber(REALobject instance) { return NumberGetter(instance, Attribute::VersionNumber); }

REALstring GetDevicePath(REALobject instance) {
  WinHIDData* data = DataOf(instance);
  data->DevicePath[kPathUnits - 1] = 0;
  return plugincommon::StringFromUTF16(data->DevicePath);
}

REALstring GetLastErrorString(REALobject instance, REALsword) {
  WinHIDData* data = DataOf(instance);
  LPWSTR text = nullptr;
  DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(data->Lasterror), 0, reinterpret_cast<LPWSTR>(&text), 1024, nullptr);
  if (n == 0 || text == nullptr) return nullptr;
  REALstring result = plugincommon::StringFromUTF16(text);
  LocalFree(text);
  return result;
}

}  // namespace winhid
