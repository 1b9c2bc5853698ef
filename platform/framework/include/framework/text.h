#pragma once
// Text functions over String.
//
// The "B" functions count bytes, positions and fields from 1. Everything that
// searches compares bytes, case-sensitively. Results keep the encoding of
// their source.

#include <cstdint>
#include <concepts>
#include <vector>

#include "framework/string.h"

namespace framework {

// Number of bytes.
int32_t LenB(const String& s);
// The first n bytes (all for n beyond the end, none for n <= 0).
String LeftB(const String& s, int32_t n);
// `length` bytes from byte `start` (1-based); a negative length runs to the
// end. A start below 1 counts as 1; a start past the end gives "".
String MidB(const String& s, int32_t start, int32_t length = -1);
// Field `n` (1-based) between separators; "" for n < 1, past the last field,
// or an empty separator.
String NthFieldB(const String& s, const String& separator, int32_t n);
// Number of characters in the string's encoding.
int32_t Len(const String& s);
// The pieces between delimiters, an empty piece after a trailing delimiter; an
// empty string gives no pieces, an empty delimiter one piece per character.
std::vector<String> Split(const String& s, const String& delimiter = String(" "));
String Join(const std::vector<String>& pieces, const String& delimiter = String(" "));
// Without leading and trailing white space (space, tab, CR, LF, VT, FF).
String Trim(const String& s);
// The same bytes tagged with `encoding`; nothing is converted.
String DefineEncoding(const String& s, TextEncoding encoding);
// The text converted into `encoding` (see convert_bytes).
String ConvertEncoding(const String& s, TextEncoding encoding);

// `EndOfLine` is this platform's line end (LF); `EndOfLine.Windows()` is CR LF.
struct LineEnds {
  operator String() const { return String("\n"); }
  String Windows() const { return String("\r\n"); }
};
inline constexpr LineEnds EndOfLine{};

// The number at the start of the text, after leading blanks: a decimal number
// (sign, digits, fraction, exponent) or, after "&h", hexadecimal digits read as
// an unsigned 64-bit value. 0 when there is none.
double Val(const String& s);

// Decimal text, a minus sign for negatives.
String Str(int64_t value);
template <std::integral T>
String Str(T value) {
  return Str(static_cast<int64_t>(value));
}
// Integral values up to 1e15 without a fraction; others with up to 7
// significant digits.
String Str(double value);

// Uppercase hexadecimal without leading zeros. A negative value that fits in 32
// bits is shown as its 32-bit two's complement, a wider one as 64-bit.
String Hex(int64_t value);
template <std::integral T>
String Hex(T value) {
  if constexpr (std::is_signed_v<T>) {
    return Hex(static_cast<int64_t>(value));
  } else {
    return Hex(static_cast<int64_t>(static_cast<uint64_t>(value)));
  }
}

// `Bitwise.OnesComplement(x)` on 64 bits.
struct BitwiseOps {
  constexpr int64_t OnesComplement(int64_t value) const { return ~value; }
};
inline constexpr BitwiseOps Bitwise{};
constexpr int64_t BitwiseAnd(int64_t a, int64_t b) { return a & b; }

}  // namespace framework
