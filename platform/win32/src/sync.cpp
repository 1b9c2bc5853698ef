// Events, threads and Sleep.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "objects.h"

using namespace win32::detail;

namespace {

// Waits on cv until ready() or the time is up; INFINITE waits for ready().
template <typename Ready>
bool wait_until_ready(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD ms, Ready ready) {
  if (ms == INFINITE) {
    cv.wait(lock, ready);
    return true;
  }
  return cv.wait_for(lock, std::chrono::milliseconds(ms), ready);
}

class Event : public Object {
 public:
  Event(bool manual, bool signalled) : manual_(manual), signalled_(signalled) {}
  DWORD wait(DWORD ms) override {
    std::unique_lock lock(mutex_);
    if (!wait_until_ready(cv_, lock, ms, [&] { return signalled_; })) return WAIT_TIMEOUT;
    if (!manual_) signalled_ = false;
    return WAIT_OBJECT_0;
  }
  void set(bool value) {
    std::lock_guard lock(mutex_);
    signalled_ = value;
    if (value) cv_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool manual_;
  bool signalled_;
};

class Thread : public Object {
 public:
  DWORD wait(DWORD ms) override {
    std::unique_lock lock(mutex_);
    return wait_until_ready(cv_, lock, ms, [&] { return done_; }) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  }
  void finish(DWORD code) {
    std::lock_guard lock(mutex_);
    exit_code_ = code;
    done_ = true;
    cv_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool done_ = false;
  DWORD exit_code_ = 0;
};

std::atomic<DWORD> next_thread_id{1};

}  // namespace

extern "C" {

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  if (name != nullptr) return fail(ERROR_NOT_SUPPORTED, HANDLE{nullptr});
  HANDLE h = insert(std::make_shared<Event>(manualReset != FALSE, initialState != FALSE));
  if (h == nullptr) return fail(ERROR_NOT_ENOUGH_MEMORY, HANDLE{nullptr});
  return succeed(h);
}

BOOL SetEvent(HANDLE event) {
  auto e = lookup_as<Event>(event);
  if (!e) return fail(ERROR_INVALID_HANDLE, FALSE);
  e->set(true);
  return succeed(TRUE);
}

BOOL ResetEvent(HANDLE event) {
  auto e = lookup_as<Event>(event);
  if (!e) return fail(ERROR_INVALID_HANDLE, FALSE);
  e->set(false);
  return succeed(TRUE);
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, size_t, LPTHREAD_START_ROUTINE routine, LPVOID parameter, DWORD flags,
                    LPDWORD threadId) {
  if (routine == nullptr || flags != 0) return fail(ERROR_INVALID_PARAMETER, HANDLE{nullptr});
  auto thread = std::make_shared<Thread>();
  HANDLE h = insert(thread);
  if (h == nullptr) return fail(ERROR_NOT_ENOUGH_MEMORY, HANDLE{nullptr});
  try {
    // Detached: a handle may be closed while the thread runs, and the thread
    // owns its object until it has ended.
    std::thread([thread, routine, parameter] { thread->finish(routine(parameter)); }).detach();
  } catch (const std::system_error&) {
    remove(h);
    return fail(ERROR_NOT_ENOUGH_MEMORY, HANDLE{nullptr});
  }
  if (threadId) *threadId = next_thread_id++;
  return succeed(h);
}

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // extern "C"
