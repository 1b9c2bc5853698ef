#include "cf_internal.h"

#include <cstring>
#include <map>
#include <memory>

namespace iokit::cf {
namespace {

// Appends the UTF-8 form of one code point.
void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes bytes as UTF-8, replacing what does not decode, and counts UTF-16 units.
void fill(CFStringObject& s, std::string_view bytes) {
  constexpr char32_t kReplacement = 0xFFFD;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    int extra = 0;
    char32_t c = 0;
    if (lead < 0x80) {
      c = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, c = lead & 0x07;
    } else {
      extra = -1;
    }
    bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < bytes.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80)
        ok = false;
      else
        c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF do not decode.
    if (ok &&
        ((extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF)))
      ok = false;
    if (!ok) {
      c = kReplacement;
      extra = 0;
    }
    append_utf8(s.utf8, c);
    s.utf16_length += c >= 0x10000 ? 2 : 1;
    i += static_cast<std::size_t>(extra) + 1;
  }
}

}  // namespace

CFStringRef make_string(std::string_view bytes) {
  auto* s = new CFStringObject;
  fill(*s, bytes);
  return s;
}

std::string_view string_bytes(CFStringRef text) { return text->utf8; }

}  // namespace iokit::cf

extern "C" {

CFStringRef CFStringMakeConstant(const char* utf8) {
  static auto* interned = new std::map<std::string, std::unique_ptr<CFStringObject>>;
  const std::string key = utf8 != nullptr ? utf8 : "";
  auto& slot = (*interned)[key];
  if (!slot) {
    slot.reset(const_cast<CFStringObject*>(iokit::cf::make_string(key)));
    slot->constant = true;
  }
  return slot.get();
}

CFIndex CFStringGetLength(CFStringRef text) { return text != nullptr ? text->utf16_length : 0; }

Boolean CFStringGetCString(CFStringRef text, char* buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  if (text == nullptr || buffer == nullptr || bufferSize <= 0) return false;
  if (encoding != kCFStringEncodingUTF8 && encoding != kCFStringEncodingASCII) return false;
  const std::string& bytes = text->utf8;
  if (encoding == kCFStringEncodingASCII) {
    for (unsigned char c : bytes)
      if (c >= 0x80) return false;
  }
  if (static_cast<CFIndex>(bytes.size()) + 1 > bufferSize) return false;
  std::memcpy(buffer, bytes.data(), bytes.size());
  buffer[bytes.size()] = '\0';
  return true;
}

}  // extern "C"
