#pragma once
// The module's bound members for runs without the plug-ins: the messages go
// where the test says, the fill keeps the MemoryBlock plug-in's rules and the
// hex texts are the outside plug-in's own routines.

#include <functional>

#include "framework/string.h"
#include "protocol/bound.h"

namespace hidtest {

HID::BoundMembers FakeMembers(std::function<void(const framework::String& text)> show_message);

// The outside plug-in's DecodingFromHexQVX.
framework::String FakeDecodingFromHex(const framework::String& hex);

}  // namespace hidtest
