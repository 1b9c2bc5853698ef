// The listener thread: it reads input reports from ReadHandle and hands them,
// one at a time, to PollString and PollMemory through a mailbox guarded by two
// manual-reset events.

#include <atomic>
#include <cstring>

#include "win_hid.h"

namespace winhid {
namespace {

constexpr DWORD kReadySliceMs = 10;
constexpr DWORD kReadSliceMs = 1;

// The two flag bytes are shared with the thread.
uint8_t Load(uint8_t& flag) { return std::atomic_ref<uint8_t>(flag).load(); }
void Store(uint8_t& flag, uint8_t value) { std::atomic_ref<uint8_t>(flag).store(value); }

// Reads until a report of at least one byte is there or the listener is to
// stop; the bytes read (0 when stopped).
DWORD ReadOne(WinHIDData* data, DWORD n) {
  HANDLE reader = AsHandle(data->ReadHandle);
  while (Load(data->ListenerRunning) == 1) {
    OVERLAPPED overlapped{};
    DWORD count = 0;
    BOOL started = ReadFile(reader, data->ReadBuffer, n, &count, &overlapped);
    if (!started && GetLastError() != ERROR_IO_PENDING) {
      // Failing at once (the device has gone, say): a short pause instead
      // of spinning until the listener is stopped.
      Sleep(kReadSliceMs);
      continue;
    }
    if (!started) WaitForSingleObject(reader, kReadSliceMs);
    if (!GetOverlappedResult(reader, &overlapped, &count, FALSE)) {
      // Not completed: cancelled before the buffer and record are used again.
      if (GetLastError() == ERROR_IO_INCOMPLETE) CancelIo(reader);
      continue;
    }
    if (count > 0) return count;
  }
  return 0;
}

DWORD ListenerThread(LPVOID parameter) {
  auto* data = static_cast<WinHIDData*>(parameter);
  Store(data->ListenerDone, 1);
  data->ReadBuffer = static_cast<unsigned char*>(plugincommon::AllocZeroed(data->PollSize));
  if (data->ReadBuffer == nullptr) return static_cast<DWORD>(-1);
  Store(data->ListenerDone, 0);
  HANDLE ready = AsHandle(data->ReadyEvent);
  HANDLE arrived = AsHandle(data->DataEvent);
  while (Load(data->ListenerRunning) == 1) {
    if (WaitForSingleObject(ready, kReadySliceMs) != WAIT_OBJECT_0) continue;
    ResetEvent(ready);
    DWORD count = ReadOne(data, static_cast<DWORD>(data->PollSize));
    if (count > 0) std::memcpy(data->PollBuffer, data->ReadBuffer, count);
    data->PollCount = static_cast<int32_t>(count);
    SetEvent(arrived);
  }
  plugincommon::FreeAlloc(data->ReadBuffer);
  data->ReadBuffer = nullptr;
  Store(data->ListenerDone, 1);
  return 0;
}

template <typename Result, typename Make>
Result Poll(REALobject instance, Make make) {
  WinHIDData* data = DataOf(instance);
  if (data->DataEvent == 0 || WaitForSingleObject(AsHandle(data->DataEvent), 0) != WAIT_OBJECT_0) return nullptr;
  Result result = make(data->PollBuffer, data->PollCount);
  data->PollCount = 0;
  ResetEvent(AsHandle(data->DataEvent));
  SetEvent(AsHandle(data->ReadyEvent));
  return result;
}

}  // namespace

REALboolean InstallEventHandleR(REALobject instance, int32_t pollSize) {
  WinHIDData* data = DataOf(instance);
  StopListener(data);
  if (pollSize < 1) return false;
  data->PollSize = pollSize;
  plugincommon::FreeAlloc(data->PollBuffer);
  data->PollBuffer = static_cast<unsigned char*>(plugincommon::AllocZeroed(pollSize));
  if (data->PollBuffer == nullptr) return false;
  if (data->ReadHandle == 0) return false;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE arrived = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  data->ReadyEvent = AsField(ready);
  data->DataEvent = AsField(arrived);
  if (ready == nullptr || arrived == nullptr) return false;
  SetEvent(ready);
  Store(data->ListenerRunning, 1);
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, ListenerThread, data, 0, &id);
  if (thread == nullptr) {
    Store(data->ListenerRunning, 0);
    return false;
  }
  data->ThreadHandle = AsField(thread);
  data->ThreadId = id;
  return true;
}

void StopListener(WinHIDData* data) {
  Store(data->ListenerRunning, 0);
  if (data->ThreadHandle != 0) {
    // The thread looks at ListenerRunning at least every 10 ms and none of
    // its calls waits longer, so it has left its loop soon; only then are
    // its buffer, its pending read and the events free to go. It is never
    // ended from outside.
    WaitForSingleObject(AsHandle(data->ThreadHandle), INFINITE);
    CloseField(data->ThreadHandle);
  }
  CloseField(data->ReadyEvent);
  CloseField(data->DataEvent);
  data->ThreadId = 0;
}

REALstring PollString(REALobject instance) {
  return Poll<REALstring>(instance, [](const unsigned char* bytes, int32_t n) {
    return plugincommon::BuildStringWithEncoding(bytes, n, REALEncodingUnknown);
  });
}

REALmemoryBlock PollMemory(REALobject instance) {
  return Poll<REALmemoryBlock>(
      instance, [](const unsigned char* bytes, int32_t n) { return plugincommon::NewMemoryBlockFromBytes(bytes, n); });
}

}  // namespace winhid
