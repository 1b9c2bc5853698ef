#include "string_data.h"

#include <cstdlib>
#include <cstring>

#include "plugincommon/host_services.h"
#include "plugincommon/marshalling.h"

namespace plugincommon::detail {
namespace {

bool CopyFromCString(REALstring string, uint32_t encoding, REALstringData* out) {
  auto lenb = reinterpret_cast<REALLenBProc>(host::REALLoadGlobalMethod("LenB( s as string ) as integer"));
  if (lenb == nullptr || !HasService(Service::StringGetCString)) return false;

  REALstring converted = nullptr;
  uint32_t own = host::REALGetStringEncoding(string);
  if (encoding != REALEncodingUnknown && own != encoding) {
    converted = host::REALConvertString(string, encoding);
    if (converted == nullptr) return false;
    string = converted;
    own = encoding;
  }
  bool ok = false;
  const char* bytes = host::StringGetCString(string);
  int32_t length = lenb(string);
  if (bytes != nullptr && length >= 0) {
    auto* copy = static_cast<unsigned char*>(AllocZeroed(static_cast<int64_t>(length) + 1));
    if (copy != nullptr) {
      std::memcpy(copy, bytes, static_cast<size_t>(length));
      out->data = copy;
      out->length = length;
      out->encoding = own;
      ok = true;
    }
  }
  if (converted != nullptr) host::REALUnlockString(converted);
  return ok;
}

}  // namespace

StringDataSource GetStringData(REALstring string, uint32_t encoding, REALstringData* out) {
  *out = REALstringData{};
  if (string == nullptr) return StringDataSource::None;
  if (HasService(Service::PluginGetStringData)) {
    if (!host::PluginGetStringData(string, encoding, out)) {
      *out = REALstringData{};
      return StringDataSource::None;
    }
    return StringDataSource::Host;
  }
  return CopyFromCString(string, encoding, out) ? StringDataSource::Copy : StringDataSource::None;
}

void DisposeStringData(StringDataSource source, REALstringData* data) {
  switch (source) {
    case StringDataSource::None:
      break;
    case StringDataSource::Host:
      if (HasService(Service::PluginDisposeStringData)) {
        host::PluginDisposeStringData(data);
      } else {
        std::free(const_cast<void*>(data->data));
      }
      break;
    case StringDataSource::Copy:
      FreeAlloc(const_cast<void*>(data->data));
      break;
  }
  *data = REALstringData{};
}

bool ReadInPlace(REALstring string, const unsigned char** ptr, int64_t* length) {
  if (string == nullptr) return false;
  const auto* words = reinterpret_cast<const REALword*>(string);
  auto* before = reinterpret_cast<const unsigned char*>(words[REALstringTextWord]);
  if (before == nullptr) return false;
  auto count = static_cast<REALsword>(words[REALstringLengthWord]);
  *ptr = before + 1;
  *length = count > 0 ? count : 0;
  return true;
}

}  // namespace plugincommon::detail
