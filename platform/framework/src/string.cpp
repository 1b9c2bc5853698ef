#include "framework/string.h"

namespace framework {
namespace {

bool ascii_compatible(TextEncoding e) {
  return e == Encodings.ASCII || e == Encodings.UTF8 || e == Encodings.MacRoman || e == Encodings.WindowsLatin1;
}

}  // namespace

const ClassRecord& StringObject::class_record() {
  static ClassRecord& record = define_class("String", &Object::class_record(), 0, native_type_of<StringObject>());
  return record;
}

String String::from_bytes(std::string_view bytes, TextEncoding encoding) {
  return String(make<StringObject>(std::string(bytes), encoding));
}

Ref<StringObject> String::to_object() const {
  if (object_) return object_;
  return make<StringObject>(std::string(), Encodings.UTF8);
}

std::string String::utf8() const { return convert_bytes(bytes(), encoding(), Encodings.UTF8); }

String& String::operator+=(const String& other) { return *this = *this + other; }

String operator+(const String& a, const String& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  TextEncoding ea = a.encoding();
  TextEncoding eb = b.encoding();
  TextEncoding result;
  std::string bytes;
  if (ea == eb) {
    result = ea;
  } else if (ea == Encodings.Undetermined || eb == Encodings.Undetermined) {
    result = Encodings.Undetermined;
  } else if (ea == Encodings.ASCII && ascii_compatible(eb)) {
    result = eb;
  } else if (eb == Encodings.ASCII && ascii_compatible(ea)) {
    result = ea;
  } else {
    bytes = a.utf8() + b.utf8();
    return String::from_bytes(bytes, Encodings.UTF8);
  }
  bytes.reserve(a.bytes().size() + b.bytes().size());
  bytes.append(a.bytes());
  bytes.append(b.bytes());
  return String::from_bytes(bytes, result);
}

bool operator==(const String& a, const String& b) {
  TextEncoding ea = a.encoding();
  TextEncoding eb = b.encoding();
  if (ea == eb || ea == Encodings.Undetermined || eb == Encodings.Undetermined ||
      (ea == Encodings.ASCII && ascii_compatible(eb)) || (eb == Encodings.ASCII && ascii_compatible(ea))) {
    return a.bytes() == b.bytes();
  }
  return a.utf8() == b.utf8();
}

}  // namespace framework
