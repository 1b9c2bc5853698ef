#include "cf_internal.h"

#include <cstdint>
#include <limits>

namespace iokit::cf {

CFNumberRef make_number(std::int64_t value) {
  auto* n = new CFNumberObject;
  n->value = value;
  return n;
}

}  // namespace iokit::cf

namespace {

template <typename T>
Boolean store(std::int64_t value, void* out) {
  *static_cast<T*>(out) = static_cast<T>(value);
  return value >= std::numeric_limits<T>::min() && value <= std::numeric_limits<T>::max();
}

}  // namespace

extern "C" Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* valuePtr) {
  if (number == nullptr || valuePtr == nullptr) return false;
  switch (type) {
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
      return store<std::int32_t>(number->value, valuePtr);
    case kCFNumberSInt64Type:
    case kCFNumberLongLongType:
      return store<std::int64_t>(number->value, valuePtr);
    default:
      return false;
  }
}
