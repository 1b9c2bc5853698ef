#include "framework/numbers.h"
#include "framework/text.h"
#include "protocol/module.h"
#include "updater/app.h"

namespace updater {

using framework::String;

namespace {

int32_t IdField(const String& text) { return framework::to_int32(framework::Val(text)); }

}  // namespace

void TakePackageRecord(const String& text) {
  const String separator("$");
  HID::dataversion = framework::NthFieldB(text, separator, 2);
  HID::datatitle = framework::NthFieldB(text, separator, 3);
  HID::VendorID = IdField(framework::NthFieldB(text, separator, 4));
  HID::ProductID = IdField(framework::NthFieldB(text, separator, 5));
  HID::datafile = framework::NthFieldB(text, separator, 6);
}

}  // namespace updater
