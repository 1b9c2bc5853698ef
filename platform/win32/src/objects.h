#pragma once
// The objects behind handles, the handle table and the last error.

#include <memory>
#include <string>

#include "win32/kernel32.h"

namespace win32::detail {

class Object {
 public:
  virtual ~Object() = default;
  // WAIT_OBJECT_0 or WAIT_TIMEOUT; WAIT_FAILED for an object nobody waits on.
  virtual DWORD wait(DWORD milliseconds) {
    (void)milliseconds;
    return WAIT_FAILED;
  }
  // Whether CloseHandle takes it, and what happens then.
  virtual bool closable() const { return true; }
  virtual void closed() {}
};

HANDLE insert(std::shared_ptr<Object> object);
std::shared_ptr<Object> lookup(HANDLE handle);
template <typename T>
std::shared_ptr<T> lookup_as(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(lookup(handle));
}
// Takes the handle out of the table; nil when it was not in it.
std::shared_ptr<Object> remove(HANDLE handle);

// Sets the last error and gives the result, for one-line failures.
template <typename T>
T fail(DWORD code, T result) {
  SetLastError(code);
  return result;
}
template <typename T>
T succeed(T result) {
  SetLastError(ERROR_SUCCESS);
  return result;
}

// UTF-16 from UTF-8 and back; a byte sequence that is no UTF-8 becomes U+FFFD.
std::u16string utf16(const std::string& utf8);
std::string utf8(const std::u16string& utf16);

}  // namespace win32::detail
