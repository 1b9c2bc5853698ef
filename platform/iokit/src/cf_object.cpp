#include "cf_internal.h"

namespace iokit::cf {

Object* object_of(CFTypeRef ref) { return static_cast<Object*>(const_cast<void*>(ref)); }

void retain(CFTypeRef ref) {
  Object* object = object_of(ref);
  if (object != nullptr && !object->constant) ++object->refs;
}

bool equal(CFTypeRef a, CFTypeRef b) {
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return false;
  const Object* x = object_of(a);
  const Object* y = object_of(b);
  if (auto* s = dynamic_cast<const CFStringObject*>(x)) {
    auto* t = dynamic_cast<const CFStringObject*>(y);
    return t != nullptr && s->utf8 == t->utf8;
  }
  if (auto* n = dynamic_cast<const CFNumberObject*>(x)) {
    auto* m = dynamic_cast<const CFNumberObject*>(y);
    return m != nullptr && n->value == m->value;
  }
  return false;
}

}  // namespace iokit::cf

extern "C" void CFRelease(CFTypeRef ref) {
  iokit::cf::Object* object = iokit::cf::object_of(ref);
  if (object == nullptr || object->constant) return;
  if (--object->refs == 0) delete object;
}
