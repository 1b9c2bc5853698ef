#pragma once
// CoreFoundation objects as the stand-ins build them. Internal to the iokit
// library; the C API in iokit/corefoundation.h hands out pointers to these.

#include "iokit/corefoundation.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace iokit::cf {

struct Object {
  virtual ~Object() = default;
  int refs = 1;
  bool constant = false;  // lives for the whole process; retain and release do nothing
};

Object* object_of(CFTypeRef ref);
void retain(CFTypeRef ref);

// UTF-8 text; malformed sequences become U+FFFD so that every string is valid UTF-8.
CFStringRef make_string(std::string_view bytes);
CFNumberRef make_number(std::int64_t value);
CFMutableDictionaryRef make_dictionary();
// Keeps a reference to key and value; a key already present gets the new value.
void dictionary_set(CFMutableDictionaryRef dictionary, CFTypeRef key, CFTypeRef value);

// A run-loop source tells its owner when it goes onto or off the main run loop.
CFRunLoopSourceRef make_source(std::function<void(bool on_loop)> on_loop_changed);

bool equal(CFTypeRef a, CFTypeRef b);
std::string_view string_bytes(CFStringRef text);

}  // namespace iokit::cf

struct CFStringObject : iokit::cf::Object {
  std::string utf8;
  CFIndex utf16_length = 0;
};

struct CFNumberObject : iokit::cf::Object {
  std::int64_t value = 0;
};

struct CFDictionaryObject : iokit::cf::Object {
  std::vector<std::pair<CFTypeRef, CFTypeRef>> entries;
  ~CFDictionaryObject() override;
};

struct CFUUIDObject : iokit::cf::Object {
  CFUUIDBytes bytes{};
};

struct CFRunLoopSourceObject : iokit::cf::Object {
  std::function<void(bool)> on_loop_changed;
  bool on_loop = false;
};

struct CFRunLoopObject : iokit::cf::Object {
  std::vector<CFRunLoopSourceRef> sources;
};
