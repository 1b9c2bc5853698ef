#pragma once
// The hex text that the log file shows data in: the outside plug-in's
// "EncodingToHexQVX(data as string) as string". The device link points it at
// the bound plug-in function at start-up. Until then a conversion of the same
// form stands in for it.

#include <functional>

#include "framework/string.h"

namespace HID {

using EncodingToHexEntry = std::function<framework::String(const framework::String& data)>;

// The bytes of `data` as hexadecimal text: two digits per byte, nothing between.
// The stand-in writes the digits A to F in upper case.
framework::String EncodingToHexQVX(const framework::String& data);

// Replaces the conversion; an empty entry restores the stand-in.
void SetEncodingToHexEntry(EncodingToHexEntry entry);

}  // namespace HID
