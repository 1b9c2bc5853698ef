// CreateFileW and the I/O calls on device files.

#include "devices.h"

using namespace win32::detail;

extern "C" {

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE) {
  if (fileName == nullptr) return fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
  if (creationDisposition != OPEN_EXISTING) return fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  std::u16string path;
  for (const WCHAR* p = fileName; *p != 0; ++p) path.push_back(static_cast<char16_t>(*p));
  std::optional<std::string> bus_path = bus_path_of(path);
  std::optional<hidbus::DeviceInfo> device = bus_path ? present_device(*bus_path) : std::nullopt;
  if (!device) return fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);

  const bool maximum = (desiredAccess & MAXIMUM_ALLOWED) != 0;
  bool readable = maximum || (desiredAccess & GENERIC_READ);
  bool writable = maximum || (desiredAccess & GENERIC_WRITE);
  std::shared_ptr<Connection> connection;
  std::unique_ptr<hidbus::Channel> channel;
  if (readable || writable) {
    DWORD error = ERROR_SUCCESS;
    channel = open_channel(*device, &connection, &error);
    if (!channel && !(maximum && error == ERROR_ACCESS_DENIED)) return fail(error, INVALID_HANDLE_VALUE);
  }
  auto file = std::make_shared<File>(*device, std::move(connection), std::move(channel), readable, writable,
                                     (flagsAndAttributes & FILE_FLAG_OVERLAPPED) != 0);
  HANDLE h = insert(std::move(file));
  if (h == nullptr) return fail(ERROR_NOT_ENOUGH_MEMORY, INVALID_HANDLE_VALUE);
  return succeed(h);
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED overlapped) {
  DWORD written = 0;
  if (bytesWritten) *bytesWritten = 0;
  auto file = lookup_as<File>(handle);
  if (!file) return fail(ERROR_INVALID_HANDLE, FALSE);
  BOOL ok = file->write(static_cast<const uint8_t*>(buffer), bytesToWrite, &written);
  if (bytesWritten) *bytesWritten = written;
  if (overlapped) {
    overlapped->Internal = ok ? DWORD{ERROR_SUCCESS} : GetLastError();
    overlapped->InternalHigh = written;
  }
  return ok;
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped) {
  if (bytesRead) *bytesRead = 0;
  auto file = lookup_as<File>(handle);
  if (!file) return fail(ERROR_INVALID_HANDLE, FALSE);
  return file->start_read(static_cast<uint8_t*>(buffer), bytesToRead, bytesRead, overlapped);
}

BOOL GetOverlappedResult(HANDLE handle, LPOVERLAPPED overlapped, LPDWORD bytesTransferred, BOOL wait) {
  if (bytesTransferred) *bytesTransferred = 0;
  auto file = lookup_as<File>(handle);
  if (!file) return fail(ERROR_INVALID_HANDLE, FALSE);
  if (overlapped == nullptr || wait) return fail(ERROR_INVALID_PARAMETER, FALSE);
  return file->result(overlapped, bytesTransferred);
}

BOOL CancelIo(HANDLE handle) {
  auto file = lookup_as<File>(handle);
  if (!file) return fail(ERROR_INVALID_HANDLE, FALSE);
  file->cancel();
  return succeed(TRUE);
}

}  // extern "C"
