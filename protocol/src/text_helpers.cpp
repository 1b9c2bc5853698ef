#include "protocol/text_helpers.h"

#include "framework/numbers.h"
#include "framework/text.h"
#include "framework/time.h"

namespace HID {

int32_t StringToHex(const framework::String& s) {
  return framework::to_int32(framework::Val(framework::String("&h") + s));
}

framework::String hex6(int32_t n) {
  framework::String s = framework::Hex(n);
  while (framework::Len(s) < 6) {
    s = framework::String("0") + s;
    framework::Yield();
  }
  return s;
}

}  // namespace HID
