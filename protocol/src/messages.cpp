#include "protocol/messages.h"

#include <utility>

#include "framework/system.h"

namespace HID {
namespace {

MessageHandler& handler() {
  static MessageHandler h;
  return h;
}

}  // namespace

void ShowMessage(const framework::String& text) {
  if (handler()) {
    handler()(text);
  } else {
    framework::System::DebugLog(text);
  }
}

void SetMessageHandler(MessageHandler h) { handler() = std::move(h); }

}  // namespace HID
