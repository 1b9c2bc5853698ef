// Last-error texts and the memory FormatMessageW hands out.

#include <cstdlib>
#include <cstring>
#include <map>

#include "objects.h"

using namespace win32::detail;

namespace {

const std::map<DWORD, const char*>& texts() {
  static const std::map<DWORD, const char*> t = {
      {ERROR_SUCCESS, "The operation completed successfully."},
      {ERROR_INVALID_FUNCTION, "Incorrect function."},
      {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
      {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
      {ERROR_ACCESS_DENIED, "Access is denied."},
      {ERROR_INVALID_HANDLE, "The handle is invalid."},
      {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
      {ERROR_GEN_FAILURE, "A device attached to the system is not functioning."},
      {ERROR_SHARING_VIOLATION, "The process cannot access the file because it is being used by another process."},
      {ERROR_NOT_SUPPORTED, "The request is not supported."},
      {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
      {ERROR_SEM_TIMEOUT, "The semaphore timeout period has expired."},
      {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
      {ERROR_MOD_NOT_FOUND, "The specified module could not be found."},
      {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found."},
      {ERROR_NO_MORE_ITEMS, "No more data is available."},
      {ERROR_MR_MID_NOT_FOUND,
       "The system cannot find message text for message number 0x%1 in the message file for %2."},
      {ERROR_OPERATION_ABORTED,
       "The I/O operation has been aborted because of either a thread exit or an application request."},
      {ERROR_IO_INCOMPLETE, "Overlapped I/O event is not in a signaled state."},
      {ERROR_IO_PENDING, "Overlapped I/O operation is in progress."},
      {ERROR_NOACCESS, "Invalid access to memory location."},
      {ERROR_INVALID_FLAGS, "Invalid flags."},
      {ERROR_DEVICE_NOT_CONNECTED, "The device is not connected."},
      {ERROR_INVALID_USER_BUFFER, "The supplied user buffer is not valid for the requested operation."},
  };
  return t;
}

}  // namespace

extern "C" {

DWORD FormatMessageW(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPWSTR buffer, DWORD size, void*) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || buffer == nullptr) return fail(ERROR_INVALID_PARAMETER, DWORD{0});
  auto it = texts().find(messageId);
  if (it == texts().end()) return fail(ERROR_MR_MID_NOT_FOUND, DWORD{0});
  std::u16string text = utf16(std::string(it->second) + "\r\n");
  size_t units = text.size() + 1;
  WCHAR* out = buffer;
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    size_t room = units > size ? units : size;
    out = static_cast<WCHAR*>(std::calloc(room, sizeof(WCHAR)));
    if (out == nullptr) return fail(ERROR_NOT_ENOUGH_MEMORY, DWORD{0});
    *reinterpret_cast<LPWSTR*>(buffer) = out;
  } else if (units > size) {
    return fail(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
  }
  std::memcpy(out, text.data(), text.size() * sizeof(WCHAR));
  out[text.size()] = 0;
  return succeed(static_cast<DWORD>(text.size()));
}

HLOCAL LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}

}  // extern "C"
