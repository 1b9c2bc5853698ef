#pragma once
// The byte routines of the outside plug-in's string functions: XOR masking
// (StringXORQVX) and hex text (EncodingToHexQVX, DecodingFromHexQVX). Plain
// bytes in and out, so that the plug-in and the tests' fakes of its members
// share one rule.

#include <cstdint>
#include <string>
#include <string_view>

namespace bytecodec {

// The bytes of data, byte i combined by exclusive or with mask byte
// (offset + i) modulo the mask's length; an empty mask leaves data unchanged.
std::string XorBytes(std::string_view data, std::string_view mask, int64_t offset);

// Two uppercase hex digits a byte, no separators.
std::string ToHex(std::string_view bytes);

// The bytes of hex text: digits in either case, two a byte. Blanks (space,
// tab, CR, LF) are skipped wherever they are. Decoding stops at the first
// other character; a last digit without its partner is dropped. The bytes
// decoded up to there are the result.
std::string FromHex(std::string_view text);

}  // namespace bytecodec
