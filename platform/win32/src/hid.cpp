// hid.dll: the HID functions, and the libraries LoadLibraryA knows.

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <set>

#include "devices.h"
#include "win32/hid.h"
#include "win32/system.h"

using namespace win32::detail;

namespace win32::detail {
extern const GUID kHidClass;
const GUID kHidClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
}  // namespace win32::detail

struct HIDP_PREPARSED_DATA {
  uint32_t magic;
  HIDP_CAPS caps;
};

namespace {

constexpr uint32_t kPreparsedMagic = 0x48494450;  // 'HIDP'

std::shared_ptr<File> device_file(HANDLE device) { return lookup_as<File>(device); }

void GetHidGuid(LPGUID guid) {
  if (guid) *guid = kHidClass;
}

BOOLEAN GetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes) {
  auto file = device_file(device);
  if (!file) return fail(ERROR_INVALID_HANDLE, BOOLEAN{FALSE});
  if (attributes == nullptr) return fail(ERROR_INVALID_PARAMETER, BOOLEAN{FALSE});
  attributes->Size = sizeof(HIDD_ATTRIBUTES);
  attributes->VendorID = file->info().vendor_id;
  attributes->ProductID = file->info().product_id;
  attributes->VersionNumber = file->info().version;
  return succeed(BOOLEAN{TRUE});
}

template <std::string hidbus::DeviceInfo::*Field>
BOOLEAN GetString(HANDLE device, LPVOID buffer, ULONG length) {
  auto file = device_file(device);
  if (!file) return fail(ERROR_INVALID_HANDLE, BOOLEAN{FALSE});
  if (buffer == nullptr) return fail(ERROR_INVALID_USER_BUFFER, BOOLEAN{FALSE});
  std::u16string text = utf16(file->info().*Field);
  size_t room = length / sizeof(WCHAR);
  size_t n = std::min(text.size(), room);
  auto* out = static_cast<WCHAR*>(buffer);
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), out);
  if (n < room) out[n] = 0;
  return succeed(BOOLEAN{TRUE});
}

USHORT clamp16(uint32_t v) { return static_cast<USHORT>(std::min<uint32_t>(v, 0xFFFF)); }

BOOLEAN GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* data) {
  auto file = device_file(device);
  if (!file) return fail(ERROR_INVALID_HANDLE, BOOLEAN{FALSE});
  if (data == nullptr) return fail(ERROR_INVALID_PARAMETER, BOOLEAN{FALSE});
  auto* p = new HIDP_PREPARSED_DATA{kPreparsedMagic, {}};
  const hidbus::DeviceInfo& info = file->info();
  p->caps.UsagePage = info.usage_page;
  p->caps.Usage = info.usage;
  p->caps.InputReportByteLength = clamp16(info.max_input_report);
  p->caps.OutputReportByteLength = clamp16(info.max_output_report);
  p->caps.FeatureReportByteLength = clamp16(info.max_feature_report);
  *data = p;
  return succeed(BOOLEAN{TRUE});
}

BOOLEAN FreePreparsedData(PHIDP_PREPARSED_DATA data) {
  if (data == nullptr || data->magic != kPreparsedMagic) return fail(ERROR_INVALID_PARAMETER, BOOLEAN{FALSE});
  data->magic = 0;
  delete data;
  return succeed(BOOLEAN{TRUE});
}

NTSTATUS GetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps) {
  if (data == nullptr || caps == nullptr || data->magic != kPreparsedMagic) return HIDP_STATUS_INVALID_PREPARSED_DATA;
  *caps = data->caps;
  return HIDP_STATUS_SUCCESS;
}

template <typename F>
FARPROC proc(F* f) {
  return reinterpret_cast<FARPROC>(f);
}

struct Library {
  std::map<std::string, FARPROC> exports;
};

struct Libraries {
  std::mutex mutex;
  std::map<std::string, Library> known;
  std::set<std::string> withdrawn;                        // libraries
  std::set<std::pair<std::string, std::string>> missing;  // (library, export)
};

Libraries& libraries() {
  static Libraries* l = [] {
    auto* l = new Libraries;
    l->known["hid.dll"].exports = {
        {"HidD_GetHidGuid", proc(GetHidGuid)},
        {"HidD_GetAttributes", proc(GetAttributes)},
        {"HidD_GetProductString", proc(GetString<&hidbus::DeviceInfo::product>)},
        {"HidD_GetManufacturerString", proc(GetString<&hidbus::DeviceInfo::manufacturer>)},
        {"HidD_GetSerialNumberString", proc(GetString<&hidbus::DeviceInfo::serial_number>)},
        {"HidD_GetPreparsedData", proc(GetPreparsedData)},
        {"HidD_FreePreparsedData", proc(FreePreparsedData)},
        {"HidP_GetCaps", proc(GetCaps)},
    };
    return l;
  }();
  return *l;
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The module handle of a library is the address of its entry in the table.
const std::string* library_of(HMODULE module) {
  Libraries& l = libraries();
  for (auto& [name, library] : l.known) {
    if (static_cast<const void*>(&library) == module) return &name;
  }
  return nullptr;
}

}  // namespace

namespace win32 {

void withdraw_library(const std::string& name) {
  std::lock_guard lock(libraries().mutex);
  libraries().withdrawn.insert(lower(name));
}

void withdraw_export(const std::string& library, const std::string& name) {
  std::lock_guard lock(libraries().mutex);
  libraries().missing.insert({lower(library), name});
}

void restore_libraries() {
  std::lock_guard lock(libraries().mutex);
  libraries().withdrawn.clear();
  libraries().missing.clear();
}

}  // namespace win32

extern "C" {

HMODULE LoadLibraryA(LPCSTR fileName) {
  if (fileName == nullptr) return fail(ERROR_INVALID_PARAMETER, HMODULE{nullptr});
  Libraries& l = libraries();
  std::lock_guard lock(l.mutex);
  std::string name = lower(fileName);
  auto it = l.known.find(name);
  if (it == l.known.end() || l.withdrawn.count(name)) return fail(ERROR_MOD_NOT_FOUND, HMODULE{nullptr});
  return succeed(static_cast<HMODULE>(&it->second));
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  Libraries& l = libraries();
  std::lock_guard lock(l.mutex);
  const std::string* name = library_of(module);
  if (name == nullptr) return fail(ERROR_MOD_NOT_FOUND, FARPROC{nullptr});
  if (procName == nullptr || l.withdrawn.count(*name) || l.missing.count({*name, procName}))
    return fail(ERROR_PROC_NOT_FOUND, FARPROC{nullptr});
  const auto& exports = l.known[*name].exports;
  auto it = exports.find(procName);
  if (it == exports.end()) return fail(ERROR_PROC_NOT_FOUND, FARPROC{nullptr});
  return succeed(it->second);
}

BOOL FreeLibrary(HMODULE module) {
  std::lock_guard lock(libraries().mutex);
  if (library_of(module) == nullptr) return fail(ERROR_INVALID_HANDLE, FALSE);
  return succeed(TRUE);
}

}  // extern "C"
