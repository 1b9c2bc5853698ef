#pragma once
// The modal message that the module's functions and the Intel HEX reader show.
// The window layer points it at MsgBox at start-up; until then, and in tests
// that record what is shown, it goes where the handler says.

#include <functional>

#include "framework/string.h"

namespace HID {

using MessageHandler = std::function<void(const framework::String& text)>;

// Shows `text` and returns when the user has dismissed it; the caller goes on.
void ShowMessage(const framework::String& text);

// Replaces the handler. An empty handler restores the default, which writes
// the text to the system debug log.
void SetMessageHandler(MessageHandler handler);

}  // namespace HID
