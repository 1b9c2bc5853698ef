#pragma once
// Hex text back to bytes: the outside plug-in's
// "DecodingFromHexQVX(hex as string) as string". Start-up points it at the
// bound plug-in function; until then a conversion of the same form stands in.

#include <functional>

#include "framework/string.h"

namespace console {

using DecodingFromHexEntry = std::function<framework::String(const framework::String& hex)>;

// Two hex digits (either case) per byte; blanks between digits are skipped,
// the first other character ends the text, and a lone last digit is dropped.
framework::String DecodingFromHexQVX(const framework::String& hex);

// Replaces the conversion; an empty entry restores the stand-in.
void SetDecodingFromHexEntry(DecodingFromHexEntry entry);

}  // namespace console
