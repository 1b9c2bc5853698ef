// MacHIDQVX: report I/O through set-report and get-report, and the interrupt
// report callback that InstallCallback sets up.

#include "mac_hid.h"

#include <cstdint>

namespace machid {
namespace {

// A negative TimeOut would be a wait of weeks; it counts as no wait.
UInt32 Wait(const MacHIDData& d) { return d.TimeOut > 0 ? static_cast<UInt32>(d.TimeOut) : 0; }

void SendBlock(REALobject instance, int32_t reportID, int32_t reportType, REALmemoryBlock data, int32_t offset,
               int32_t length) {
  if (data == nullptr) {
    plugincommon::RaiseException("NilObjectException", "Memoryblock is nil");
    return;
  }
  MacHIDData* d = DataOf(instance);
  if (d->DeviceInterface == nullptr) {
    d->Lasterror = -1;
    return;
  }
  // The range must lie inside the block, where its size is known: only a
  // foreign block of unknown size (-1) is taken on trust, never an empty one.
  auto* bytes = static_cast<unsigned char*>(plugincommon::host::memoryBlockGetPtr(data));
  const int32_t size = plugincommon::host::memoryBlockGetSize(data);
  if (offset < 0 || length < 0 || (bytes == nullptr && length > 0) ||
      (size != -1 && static_cast<int64_t>(offset) + length > size)) {
    d->Lasterror = kIOReturnBadArgument;
    return;
  }
  d->Lasterror =
      (*d->DeviceInterface)
          ->setReport(d->DeviceInterface, static_cast<IOHIDReportType>(reportType), static_cast<UInt32>(reportID),
                      bytes + offset, static_cast<UInt32>(length), Wait(*d), nullptr, nullptr, nullptr);
}

void SendText(REALobject instance, int32_t reportID, int32_t reportType, REALstring data) {
  MacHIDData* d = DataOf(instance);
  if (d->DeviceInterface == nullptr) {
    d->Lasterror = -1;
    return;
  }
  plugincommon::rbRawText text(data);
  const IOReturn result = (*d->DeviceInterface)
                              ->setReport(d->DeviceInterface, static_cast<IOHIDReportType>(reportType),
                                          static_cast<UInt32>(reportID), const_cast<unsigned char*>(text.Ptr()),
                                          static_cast<UInt32>(text.Length()), Wait(*d), nullptr, nullptr, nullptr);
  text.Release();
  d->Lasterror = result;
}

// Reads one report into a new zeroed buffer; *n is its length. Nil when nothing was read.
unsigned char* Read(REALobject instance, int32_t reportID, int32_t reportType, int32_t length, UInt32* n) {
  MacHIDData* d = DataOf(instance);
  d->Lasterror = -1;
  if (length <= 0 || d->DeviceInterface == nullptr) return nullptr;
  auto* buffer = static_cast<unsigned char*>(plugincommon::AllocZeroed(length));
  if (buffer == nullptr) return nullptr;
  *n = static_cast<UInt32>(length);
  d->Lasterror = (*d->DeviceInterface)
                     ->getReport(d->DeviceInterface, static_cast<IOHIDReportType>(reportType),
                                 static_cast<UInt32>(reportID), buffer, n, Wait(*d), nullptr, nullptr, nullptr);
  return buffer;
}

}  // namespace

void InstallCallback(REALobject instance) {
  MacHIDData* d = DataOf(instance);
  d->Lasterror = -1;
  const auto area = reinterpret_cast<std::uintptr_t>(d->ReportArea);
  d->ReportBuffer = reinterpret_cast<unsigned char*>((area + 15) & ~std::uintptr_t{15});
  if (d->DeviceInterface == nullptr) return;
  d->Lasterror = (*d->DeviceInterface)
                     ->setInterruptReportHandlerCallback(d->DeviceInterface, d->ReportBuffer, kReportBufferSize,
                                                         ReaderReportCallback, instance, nullptr);
}

void SendMessageMemory(REALobject instance, REALmemoryBlock data, int32_t offset, int32_t length) {
  SendBlock(instance, 0, kIOHIDReportTypeOutput, data, offset, length);
}

void SendMessageMemory2(REALobject instance, int32_t reportID, int32_t reportType, REALmemoryBlock data, int32_t offset,
                        int32_t length) {
  SendBlock(instance, reportID, reportType, data, offset, length);
}

void SendMessageString(REALobject instance, REALstring data) { SendText(instance, 0, kIOHIDReportTypeOutput, data); }

void SendMessageString2(REALobject instance, int32_t reportID, int32_t reportType, REALstring data) {
  SendText(instance, reportID, reportType, data);
}

REALstring ReadMessageString(REALobject instance, int32_t reportID, int32_t reportType, int32_t length) {
  UInt32 n = 0;
  unsigned char* buffer = Read(instance, reportID, reportType, length, &n);
  if (buffer == nullptr) return nullptr;
  REALstring result = nullptr;
  if (DataOf(instance)->Lasterror == kIOReturnSuccess && n >= 1)
    result = plugincommon::BuildStringWithEncoding(buffer, n, REALEncodingUnknown);
  plugincommon::FreeAlloc(buffer);
  return result;
}

REALmemoryBlock ReadMessageMemory(REALobject instance, int32_t reportID, int32_t reportType, int32_t length) {
  UInt32 n = 0;
  unsigned char* buffer = Read(instance, reportID, reportType, length, &n);
  if (buffer == nullptr) return nullptr;
  REALmemoryBlock result = nullptr;
  if (DataOf(instance)->Lasterror == kIOReturnSuccess && n > 0)
    result = plugincommon::NewMemoryBlockFromBytes(buffer, n);
  plugincommon::FreeAlloc(buffer);
  return result;
}

}  // namespace machid
