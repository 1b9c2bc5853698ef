#pragma once
// Strings: immutable bytes with an encoding code.
//
// StringObject is the counted object the plug-in host hands across the C ABI;
// String is the value type application code uses. A default String is empty
// and has no object behind it. Copies share the object.

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/encoding.h"
#include "framework/object.h"

namespace framework {

class StringObject : public Object {
 public:
  static const ClassRecord& class_record();  // "String"

  StringObject(std::string bytes, TextEncoding encoding) : bytes_(std::move(bytes)), encoding_(encoding) {}

  std::string_view bytes() const { return bytes_; }
  // The bytes followed by a zero byte (not counted in size()).
  const char* c_str() const { return bytes_.c_str(); }
  std::size_t size() const { return bytes_.size(); }
  TextEncoding encoding() const { return encoding_; }
  // Re-tags the bytes; the host does this right after building a string.
  void set_encoding(TextEncoding encoding) { encoding_ = encoding; }

 private:
  const std::string bytes_;
  TextEncoding encoding_;
};

class String {
 public:
  String() = default;
  // UTF-8 text.
  String(const char* utf8) : String(std::string_view(utf8 ? utf8 : "")) {}
  String(std::string_view utf8) : String(from_bytes(utf8, Encodings.UTF8)) {}
  String(const std::string& utf8) : String(std::string_view(utf8)) {}
  // The string held by `object`; a nil object is the empty string.
  explicit String(Ref<StringObject> object) : object_(std::move(object)) {}

  static String from_bytes(std::string_view bytes, TextEncoding encoding);

  std::string_view bytes() const { return object_ ? object_->bytes() : std::string_view(); }
  bool empty() const { return bytes().empty(); }
  // The empty string without an object is UTF-8.
  TextEncoding encoding() const { return object_ ? object_->encoding() : Encodings.UTF8; }

  // The object behind the string; nil for the empty default string.
  const Ref<StringObject>& object() const { return object_; }
  // An object for the string, made for the empty default string too.
  Ref<StringObject> to_object() const;

  // The text as UTF-8 (bytes of undetermined encoding unchanged).
  std::string utf8() const;

  String& operator+=(const String& other);

  // Concatenation keeps the encoding when both sides share it (ASCII joins any
  // byte-compatible encoding); text of undetermined encoding joins as raw bytes
  // and stays undetermined; anything else is joined as UTF-8.
  friend String operator+(const String& a, const String& b);
  // Equality is of the text, byte for byte and case-sensitive: strings of
  // different known encodings compare as UTF-8; undetermined ones as bytes.
  friend bool operator==(const String& a, const String& b);

 private:
  Ref<StringObject> object_;
};

}  // namespace framework
