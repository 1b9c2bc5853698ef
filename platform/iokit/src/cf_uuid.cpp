#include "cf_internal.h"

#include <cstring>
#include <memory>
#include <vector>

extern "C" {

CFUUIDRef CFUUIDGetConstantUUIDWithBytes(CFAllocatorRef, UInt8 b0, UInt8 b1, UInt8 b2, UInt8 b3, UInt8 b4, UInt8 b5,
                                         UInt8 b6, UInt8 b7, UInt8 b8, UInt8 b9, UInt8 b10, UInt8 b11, UInt8 b12,
                                         UInt8 b13, UInt8 b14, UInt8 b15) {
  static auto* known = new std::vector<std::unique_ptr<CFUUIDObject>>;
  const CFUUIDBytes bytes{b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15};
  for (const auto& u : *known)
    if (std::memcmp(&u->bytes, &bytes, sizeof bytes) == 0) return u.get();
  auto u = std::make_unique<CFUUIDObject>();
  u->bytes = bytes;
  u->constant = true;
  known->push_back(std::move(u));
  return known->back().get();
}

CFUUIDBytes CFUUIDGetUUIDBytes(CFUUIDRef uuid) { return uuid != nullptr ? uuid->bytes : CFUUIDBytes{}; }

}  // extern "C"
