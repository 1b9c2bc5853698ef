#include "cf_internal.h"

namespace iokit::cf {

CFMutableDictionaryRef make_dictionary() { return new CFDictionaryObject; }

void dictionary_set(CFMutableDictionaryRef dictionary, CFTypeRef key, CFTypeRef value) {
  retain(value);
  for (auto& [k, v] : dictionary->entries) {
    if (equal(k, key)) {
      CFRelease(v);
      v = value;
      return;
    }
  }
  retain(key);
  dictionary->entries.emplace_back(key, value);
}

}  // namespace iokit::cf

CFDictionaryObject::~CFDictionaryObject() {
  for (auto& [k, v] : entries) {
    CFRelease(k);
    CFRelease(v);
  }
}

extern "C" const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key) {
  if (dictionary == nullptr) return nullptr;
  for (const auto& [k, v] : dictionary->entries)
    if (iokit::cf::equal(k, key)) return v;
  return nullptr;
}
