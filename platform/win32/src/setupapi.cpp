// Device-information sets: a snapshot of the bus's devices.

#include <cstring>
#include <vector>

#include "devices.h"
#include "win32/setupapi.h"
#include "win32/system.h"

using namespace win32::detail;

namespace win32::detail {

extern const GUID kHidClass;

bool same_guid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace win32::detail

namespace {

class DeviceInfoSet : public Object {
 public:
  bool closable() const override { return false; }
  GUID guid{};
  std::vector<std::u16string> paths;
};

}  // namespace

extern "C" {

HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags) {
  if (!(flags & DIGCF_DEVICEINTERFACE)) return fail(ERROR_INVALID_FLAGS, INVALID_HANDLE_VALUE);
  if (classGuid == nullptr || enumerator != nullptr || parent != nullptr)
    return fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  auto set = std::make_shared<DeviceInfoSet>();
  set->guid = *classGuid;
  if (same_guid(*classGuid, kHidClass)) {
    for (const auto& device : win32::bus().enumerate()) set->paths.push_back(interface_path(device));
  }
  HANDLE h = insert(std::move(set));
  if (h == nullptr) return fail(ERROR_NOT_ENOUGH_MEMORY, INVALID_HANDLE_VALUE);
  return succeed(h);
}

BOOL SetupDiEnumDeviceInterfaces(HDEVINFO handle, PSP_DEVINFO_DATA deviceInfo, const GUID* interfaceClassGuid,
                                 DWORD index, PSP_DEVICE_INTERFACE_DATA data) {
  auto set = lookup_as<DeviceInfoSet>(handle);
  if (!set) return fail(ERROR_INVALID_HANDLE, FALSE);
  if (deviceInfo != nullptr || interfaceClassGuid == nullptr) return fail(ERROR_INVALID_PARAMETER, FALSE);
  if (data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
    return fail(ERROR_INVALID_USER_BUFFER, FALSE);
  if (!same_guid(*interfaceClassGuid, set->guid) || index >= set->paths.size()) return fail(ERROR_NO_MORE_ITEMS, FALSE);
  data->InterfaceClassGuid = *interfaceClassGuid;
  data->Flags = SPINT_ACTIVE;
  data->Reserved = static_cast<ULONG_PTR>(index) + 1;  // which interface of the set
  return succeed(TRUE);
}

BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA data,
                                      PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize, LPDWORD requiredSize,
                                      PSP_DEVINFO_DATA deviceInfo) {
  auto set = lookup_as<DeviceInfoSet>(handle);
  if (!set) return fail(ERROR_INVALID_HANDLE, FALSE);
  if (deviceInfo != nullptr || data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) ||
      data->Reserved == 0 || data->Reserved > set->paths.size()) {
    return fail(ERROR_INVALID_PARAMETER, FALSE);
  }
  const std::u16string& path = set->paths[data->Reserved - 1];
  const size_t offset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
  const size_t needed = offset + (path.size() + 1) * sizeof(WCHAR);
  if (requiredSize) *requiredSize = static_cast<DWORD>(needed);
  if (detail == nullptr || detailSize < needed) return fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return fail(ERROR_INVALID_USER_BUFFER, FALSE);
  unsigned char* out = reinterpret_cast<unsigned char*>(detail) + offset;
  std::memcpy(out, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
  return succeed(TRUE);
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO handle) {
  if (!lookup_as<DeviceInfoSet>(handle) || !remove(handle)) return fail(ERROR_INVALID_HANDLE, FALSE);
  return succeed(TRUE);
}

}  // extern "C"
