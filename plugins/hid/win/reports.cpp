// Writing output reports and reading input reports with a time-out.

#include "win_hid.h"

namespace winhid {
namespace {

int32_t Write(WinHIDData* data, const void* bytes, DWORD length) {
  DWORD written = 0;
  BOOL ok = WriteFile(AsHandle(data->WriteHandle), bytes, length, &written, nullptr);
  data->Lasterror = ok ? 0 : static_cast<int32_t>(GetLastError());
  return static_cast<int32_t>(written);
}

// One input report of up to length bytes into a buffer of the caller's; the
// bytes read, or -1 when there is none. Nothing refers to the buffer or the
// record any more when it returns.
int64_t Read(WinHIDData* data, unsigned char* buffer, int32_t length, int32_t timeOut) {
  HANDLE reader = AsHandle(data->ReadHandle);
  OVERLAPPED overlapped{};
  DWORD n = 0;
  BOOL started = ReadFile(reader, buffer, static_cast<DWORD>(length), &n, &overlapped);
  DWORD error = GetLastError();
  data->Lasterror = static_cast<int32_t>(error);
  if (error == ERROR_IO_PENDING) {
    // Handed on as it is: -1 is the platform's endless wait, which a caller
    // asks for on purpose.
    if (WaitForSingleObject(reader, static_cast<DWORD>(timeOut)) != WAIT_OBJECT_0) {
      CancelIo(reader);
      return -1;
    }
  } else if (!started) {
    return -1;
  }
  if (!GetOverlappedResult(reader, &overlapped, &n, FALSE)) {
    // Still pending when another read of the handle woke the wait: it must
    // not go on into a buffer that is about to be freed.
    if (GetLastError() == ERROR_IO_INCOMPLETE) CancelIo(reader);
    return -1;
  }
  return n;
}

template <typename Result, typename Make>
Result ReadReport(REALobject instance, int32_t length, int32_t timeOut, Make make) {
  WinHIDData* data = DataOf(instance);
  data->Lasterror = -1;
  if (length <= 0) return nullptr;
  auto* buffer = static_cast<unsigned char*>(plugincommon::AllocZeroed(int64_t{length} + 16));
  if (buffer == nullptr) return nullptr;
  int64_t n = Read(data, buffer, length, timeOut);
  Result result = n > 0 ? make(buffer, n) : nullptr;
  plugincommon::FreeAlloc(buffer);
  return result;
}

}  // namespace

int32_t SendMessageMemory(REALobject instance, REALmemoryBlock block, int32_t offset, int32_t length) {
  WinHIDData* data = DataOf(instance);
  data->Lasterror = -1;
  // A nil block or a range outside the block is not sent: nothing is read
  // beyond the caller's bytes. Only a foreign block of unknown size (-1) is
  // taken on trust, never an empty one.
  auto* bytes = static_cast<unsigned char*>(block ? plugincommon::host::memoryBlockGetPtr(block) : nullptr);
  int32_t size = block ? plugincommon::host::memoryBlockGetSize(block) : 0;
  bool inside = bytes != nullptr && offset >= 0 && length >= 0 && (size == -1 || int64_t{offset} + length <= size);
  if (!inside) {
    data->Lasterror = ERROR_INVALID_PARAMETER;
    return 0;
  }
  return Write(data, bytes + offset, static_cast<DWORD>(length));
}

int32_t SendMessageString(REALobject instance, REALstring text) {
  WinHIDData* data = DataOf(instance);
  data->Lasterror = -1;
  plugincommon::rbRawText raw(text);
  return Write(data, raw.Ptr(), static_cast<DWORD>(raw.Length()));
}

REALstring ReadMessageString2(REALobject instance, int32_t length, int32_t timeOut) {
  return ReadReport<REALstring>(instance, length, timeOut, [](const unsigned char* bytes, int64_t n) {
    return plugincommon::BuildStringWithEncoding(bytes, n, REALEncodingUnknown);
  });
}

REALmemoryBlock ReadMessageMemory2(REALobject instance, int32_t length, int32_t timeOut) {
  return ReadReport<REALmemoryBlock>(instance, length, timeOut, [](const unsigned char* bytes, int64_t n) {
    return plugincommon::NewMemoryBlockFromBytes(bytes, n);
  });
}

}  // namespace winhid
