#include "protocol/text_helpers.h"

#include "framework/number.h"
#include "framework/yield.h"

namespace HID {

int32_t StringToHex(const framework::String& s) {
  return framework::ToInt32(framework::Val(framework::String("&h") + s));
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
