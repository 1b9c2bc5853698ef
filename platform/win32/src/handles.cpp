// The handle table: numbers in steps of 4, never reused, never above
// 0x7FFFFFFF, so that they fit the 32-bit fields the plug-ins keep them in.

#include <map>
#include <mutex>

#include "objects.h"

namespace win32::detail {
namespace {

struct Table {
  std::mutex mutex;
  std::map<uintptr_t, std::shared_ptr<Object>> objects;
  uintptr_t next = 4;
};

Table& table() {
  static Table* t = new Table;  // outlives threads that end after main
  return *t;
}

}  // namespace

HANDLE insert(std::shared_ptr<Object> object) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  if (t.next > 0x7FFFFFFCu) return nullptr;
  uintptr_t value = t.next;
  t.next += 4;
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<Object> lookup(HANDLE handle) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

std::shared_ptr<Object> remove(HANDLE handle) {
  Table& t = table();
  std::lock_guard lock(t.mutex);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.objects.end()) return nullptr;
  std::shared_ptr<Object> object = std::move(it->second);
  t.objects.erase(it);
  return object;
}

}  // namespace win32::detail

using namespace win32::detail;

namespace {
thread_local DWORD last_error = 0;
}

extern "C" {

DWORD GetLastError(void) { return last_error; }
void SetLastError(DWORD code) { last_error = code; }

BOOL CloseHandle(HANDLE handle) {
  std::shared_ptr<Object> object = lookup(handle);
  // A device-information set has a closing function of its own.
  if (!object || !object->closable() || !remove(handle)) return fail(ERROR_INVALID_HANDLE, FALSE);
  object->closed();
  return succeed(TRUE);
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  std::shared_ptr<Object> object = lookup(handle);
  if (!object) return fail(ERROR_INVALID_HANDLE, WAIT_FAILED);
  DWORD result = object->wait(milliseconds);
  if (result == WAIT_FAILED) return fail(ERROR_INVALID_HANDLE, WAIT_FAILED);
  return succeed(result);
}

}  // extern "C"
