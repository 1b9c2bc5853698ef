// hid.dll, loaded at run time and kept for the life of the process.

#include "win_hid.h"

namespace winhid {

HidLibrary gHid{};

namespace {
HMODULE gHidModule = nullptr;

template <typename F>
void Find(F& slot, const char* name) {
  slot = reinterpret_cast<F>(GetProcAddress(gHidModule, name));
}
}  // namespace

void BindHidLibrary() {
  if (gHidModule == nullptr) {
    gHidModule = LoadLibraryA("hid.dll");
    if (gHidModule == nullptr) return;
  }
  Find(gHid.GetHidGuid, "HidD_GetHidGuid");
  Find(gHid.GetProductString, "HidD_GetProductString");
  Find(gHid.GetManufacturerString, "HidD_GetManufacturerString");
  Find(gHid.GetAttributes, "HidD_GetAttributes");
  Find(gHid.GetSerialNumberString, "HidD_GetSerialNumberString");
  Find(gHid.GetPreparsedData, "HidD_GetPreparsedData");
  Find(gHid.GetCaps, "HidP_GetCaps");
  Find(gHid.FreePreparsedData, "HidD_FreePreparsedData");
}

void UpdateReportCaps(WinHIDData* data) {
  if (!gHid.GetPreparsedData || !gHid.GetCaps || !gHid.FreePreparsedData) return;
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (!gHid.GetPreparsedData(AsHandle(data->HidHandle), &preparsed)) return;
  HIDP_CAPS caps{};
  if (gHid.GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS) {
    data->InputReportByteLength = caps.InputReportByteLength;
    data->OutputReportByteLength = caps.OutputReportByteLength;
    data->FeatureReportByteLength = caps.FeatureReportByteLength;
  } else {
    data->InputReportByteLength = 0;
    data->OutputReportByteLength = 0;
    data->FeatureReportByteLength = 0;
  }
  gHid.FreePreparsedData(preparsed);
}

void WinHIDConstructor(REALobject) { BindHidLibrary(); }

}  // namespace winhid
