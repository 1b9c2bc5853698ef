#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/encoding.h"
#include "framework/system.h"
#include "pluginhost/declaration.h"
#include "pluginhost/handles.h"
#include "services.h"

namespace pluginhost::services {
namespace {

int32_t LenB(REALstring string) {
  auto s = string_of(string);
  return s ? static_cast<int32_t>(s->size()) : 0;
}

void DebugLog(REALstring message) { framework::System::DebugLog(framework::String(string_of(message))); }

}  // namespace

REALstring REALBuildString(const void* bytes, int32_t length) {
  if (length < 0 || (bytes == nullptr && length > 0)) return nullptr;
  std::string copy;
  if (length > 0) copy.assign(static_cast<const char*>(bytes), static_cast<size_t>(length));
  return new_string_handle(
      framework::make<framework::StringObject>(std::move(copy), framework::Encodings.Undetermined));
}

void REALSetStringEncoding(REALstring string, uint32_t encoding) {
  if (auto s = string_of(string)) s->set_encoding(encoding);
}

uint32_t REALGetStringEncoding(REALstring string) {
  auto s = string_of(string);
  return s ? s->encoding() : framework::Encodings.Undetermined;
}

REALstring REALConvertString(REALstring string, uint32_t encoding) {
  auto s = string_of(string);
  if (!s) return nullptr;
  std::string bytes = framework::convert_bytes(s->bytes(), s->encoding(), encoding);
  return new_string_handle(framework::make<framework::StringObject>(std::move(bytes), encoding));
}

void REALLockString(REALstring string) { retain_string_handle(string); }

void REALUnlockString(REALstring string) { release_string_handle(string); }

REALboolean PluginGetStringData(REALstring string, uint32_t encoding, REALstringData* out) {
  if (out == nullptr) return 0;
  *out = REALstringData{};
  auto s = string_of(string);
  if (!s) return 0;
  const bool as_stored = encoding == framework::Encodings.Undetermined;
  std::string bytes =
      as_stored ? std::string(s->bytes()) : framework::convert_bytes(s->bytes(), s->encoding(), encoding);
  // malloc, so that a plug-in that cannot dispose of it may free it.
  auto* copy = static_cast<char*>(std::malloc(bytes.size() + 1));
  if (copy == nullptr) return 0;
  std::memcpy(copy, bytes.data(), bytes.size());
  copy[bytes.size()] = '\0';
  out->data = copy;
  out->length = static_cast<REALsword>(bytes.size());
  out->encoding = as_stored ? s->encoding() : encoding;
  return 1;
}

void PluginDisposeStringData(REALstringData* data) {
  if (data == nullptr) return;
  std::free(const_cast<void*>(data->data));
  *data = REALstringData{};
}

const char* StringGetCString(REALstring string) {
  auto s = string_of(string);
  return s ? s->c_str() : nullptr;
}

REALproc REALLoadGlobalMethod(const char* declaration) {
  if (declaration == nullptr) return nullptr;
  if (normal_declaration(declaration) == normal_declaration("LenB( s as string ) as integer")) {
    return reinterpret_cast<REALproc>(&LenB);
  }
  if (normal_declaration(declaration) == normal_declaration("System.DebugLog( message as string )")) {
    return reinterpret_cast<REALproc>(&DebugLog);
  }
  return nullptr;
}

}  // namespace pluginhost::services
