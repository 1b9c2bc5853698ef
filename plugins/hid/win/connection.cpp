// Connect, Disconnect, and Close with the destructor.

#include "win_hid.h"

namespace winhid {
namespace {

void CloseReportHandles(WinHIDData* data) {
  CloseField(data->ReadHandle);
  CloseField(data->WriteHandle);
}

}  // namespace

REALboolean doConnect(REALobject instance) {
  WinHIDData* data = DataOf(instance);
  doDisconnect(instance);
  data->Lasterror = -1;
  const DWORD access = GENERIC_READ | GENERIC_WRITE;
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE writer = CreateFileW(data->DevicePath, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE reader = CreateFileW(data->DevicePath, access, share, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  DWORD error = GetLastError();
  if (writer != INVALID_HANDLE_VALUE && reader != INVALID_HANDLE_VALUE) {
    data->ReadHandle = AsField(reader);
    data->WriteHandle = AsField(writer);
    data->Lasterror = 0;
    return true;
  }
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  data->Lasterror = static_cast<int32_t>(error);
  return false;
}

void doDisconnect(REALobject instance) {
  WinHIDData* data = DataOf(instance);
  data->Lasterror = 0;
  // The listener reads ReadHandle: it ends before the handle does.
  StopListener(data);
  CloseReportHandles(data);
}

void WinHIDDestructor(REALobject instance) {
  WinHIDData* data = DataOf(instance);
  if (data == nullptr) return;
  StopListener(data);
  CloseReportHandles(data);
  if (data->PnPHandle != 0) {
    SetupDiDestroyDeviceInfoList(AsHandle(data->PnPHandle));
    data->PnPHandle = 0;
  }
  CloseField(data->HidHandle);
  plugincommon::FreeAlloc(data->PollBuffer);
  data->PollBuffer = nullptr;
  plugincommon::FreeAlloc(data->ReadBuffer);
  data->ReadBuffer = nullptr;
}

}  // namespace winhid
