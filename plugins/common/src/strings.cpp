#include <cstring>

#include "plugincommon/host_services.h"
#include "plugincommon/marshalling.h"

namespace plugincommon {
namespace {

constexpr int64_t kMaxLength = 0x7FFFFFFF;

bool AllBelow0x80(const unsigned char* bytes, int64_t length) {
  for (int64_t i = 0; i < length; ++i) {
    if (bytes[i] >= 0x80) return false;
  }
  return true;
}

// Number of UTF-16 units a UTF-32 unit becomes.
int Utf16Width(uint32_t unit) { return unit >= 0x10000 && unit <= 0x10FFFF ? 2 : 1; }

uint16_t* PutUtf16(uint16_t* out, uint32_t unit) {
  if (unit >= 0x10000 && unit <= 0x10FFFF) {
    unit -= 0x10000;
    *out++ = static_cast<uint16_t>(0xD800 + (unit >> 10));
    *out++ = static_cast<uint16_t>(0xDC00 + (unit & 0x3FF));
  } else if (unit > 0x10FFFF || (unit >= 0xD800 && unit <= 0xDFFF)) {
    *out++ = 0xFFFD;
  } else {
    *out++ = static_cast<uint16_t>(unit);
  }
  return out;
}

}  // namespace

REALstring UTF16BytesToString(const void* bytes, int64_t length) {
  if (bytes == nullptr || length < 1 || length > kMaxLength) return nullptr;
  REALstring utf16 = host::REALBuildString(bytes, static_cast<int32_t>(length));
  if (utf16 == nullptr) return nullptr;
  host::REALSetStringEncoding(utf16, REALEncodingUTF16);
  REALstring utf8 = host::REALConvertString(utf16, REALEncodingUTF8);
  host::REALUnlockString(utf16);
  return utf8;
}

REALstring UTF32BytesToString(const void* bytes, int64_t length) {
  if (bytes == nullptr || length < 1 || length > kMaxLength) return nullptr;
  const int64_t units = length / 4;
  const auto* source = static_cast<const unsigned char*>(bytes);
  auto unit_at = [source](int64_t i) {
    uint32_t unit;
    std::memcpy(&unit, source + 4 * i, sizeof unit);  // input need not be aligned
    return unit;
  };
  int64_t values = 0;
  for (int64_t i = 0; i < units; ++i) values += Utf16Width(unit_at(i));

  uint16_t fixed[200] = {};
  uint16_t* buffer = fixed;
  uint16_t* heap = nullptr;
  if (values >= 200) {
    heap = static_cast<uint16_t*>(AllocZeroed(2 * values + 4));
    if (heap == nullptr) return nullptr;
    buffer = heap;
  }
  uint16_t* out = buffer;
  for (int64_t i = 0; i < units; ++i) out = PutUtf16(out, unit_at(i));
  REALstring result = UTF16BytesToString(buffer, 2 * values);
  FreeAlloc(heap);
  return result;
}

REALstring StringFromUTF16(const char16_t* text) {
  if (text == nullptr) return nullptr;
  int64_t units = 0;
  while (text[units] != 0) ++units;
  if (units == 0) return nullptr;
  return UTF16BytesToString(text, 2 * units);
}

REALstring StringFromUTF16(const uint16_t* text) { return StringFromUTF16(reinterpret_cast<const char16_t*>(text)); }

REALstring BuildStringWithEncoding(const void* bytes, int64_t length, uint32_t encoding) {
  if (bytes == nullptr || length < 1 || length > kMaxLength) return nullptr;
  const auto* data = static_cast<const unsigned char*>(bytes);
  switch (encoding) {
    case REALEncodingMacRoman:
    case REALEncodingWindowsLatin1:
    case REALEncodingUnknown:
      if (AllBelow0x80(data, length)) encoding = REALEncodingASCII;
      break;
    case REALEncodingUTF16:
      return UTF16BytesToString(bytes, length);
    case REALEncodingUTF32:
      return UTF32BytesToString(bytes, length);
    default:
      break;
  }
  REALstring string = host::REALBuildString(bytes, static_cast<int32_t>(length));
  if (string == nullptr) return nullptr;
  host::REALSetStringEncoding(string, encoding);
  return string;
}

}  // namespace plugincommon
