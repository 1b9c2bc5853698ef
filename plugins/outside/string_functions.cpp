#include <string>

#include "bytecodec/bytecodec.h"
#include "outside.h"
#include "plugincommon/plugincommon.h"

namespace outside {
namespace {

using namespace plugincommon;

std::string Bytes(REALstring s) {
  rbRawText raw(s);
  if (raw.Ptr() == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(raw.Ptr()), static_cast<size_t>(raw.Length()));
}

// Bytes of no particular encoding: ASCII when every byte is below 0x80.
REALstring NewBytes(const std::string& bytes) {
  return BuildStringWithEncoding(bytes.data(), static_cast<int64_t>(bytes.size()), REALEncodingUnknown);
}

REALstring StringXOR(REALstring data, REALstring mask, int32_t offset) {
  return NewBytes(bytecodec::XorBytes(Bytes(data), Bytes(mask), offset));
}

REALstring EncodingToHex(REALstring data) {
  std::string hex = bytecodec::ToHex(Bytes(data));
  return BuildStringWithEncoding(hex.data(), static_cast<int64_t>(hex.size()), REALEncodingASCII);
}

REALstring DecodingFromHex(REALstring text) { return NewBytes(bytecodec::FromHex(Bytes(text))); }

REALmethodDefinition Functions[] = {
    {reinterpret_cast<REALproc>(&StringXOR),
     nullptr,
     "StringXORQVX(data as string, XorMask as string, MaskOffset as integer = 0) as string",
     4,
     {}},
    {reinterpret_cast<REALproc>(&EncodingToHex), nullptr, "EncodingToHexQVX(data as string) as string", 4, {}},
    {reinterpret_cast<REALproc>(&DecodingFromHex), nullptr, "DecodingFromHexQVX(hex as string) as string", 4, {}},
};

}  // namespace

void RegisterStringFunctions() {
  for (auto& function : Functions) RegisterGlobalMethod(&function);
}

}  // namespace outside
