#pragma once
// Text encodings: the codes the framework tags strings with, and conversion.
//
// Codes are 32-bit values as the plug-in boundary uses them. UTF-16 and UTF-32
// text is in this machine's byte order, without a byte order mark.

#include <cstdint>
#include <string>
#include <string_view>

namespace framework {

using TextEncoding = uint32_t;

// `Encodings.ASCII` and friends.
struct EncodingCodes {
  TextEncoding MacRoman = 0x00000000;
  TextEncoding UTF16 = 0x00000100;
  TextEncoding WindowsLatin1 = 0x00000500;
  TextEncoding ASCII = 0x00000600;
  TextEncoding Undetermined = 0x0000FFFF;  // bytes whose encoding nobody knows
  TextEncoding UTF8 = 0x08000100;
  TextEncoding UTF32 = 0x0C000100;
};
inline constexpr EncodingCodes Encodings{};

// True for the codes above other than Undetermined.
bool is_known_encoding(TextEncoding code);

// The bytes of `bytes` (in `from`) re-encoded in `to`.
// - From or to Undetermined, within one encoding, or with an unknown code:
//   the bytes unchanged.
// - A character that the target cannot hold becomes "?".
// - Malformed input (a byte above 0x7F in ASCII, a broken UTF-8 sequence, an
//   odd trailing UTF-16 byte, a lone surrogate, a UTF-32 unit above U+10FFFF)
//   reads as U+FFFD. Trailing bytes that make no whole UTF-32 unit do too.
std::string convert_bytes(std::string_view bytes, TextEncoding from, TextEncoding to);

}  // namespace framework
