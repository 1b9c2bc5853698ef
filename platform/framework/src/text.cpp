#include "framework/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace framework {
namespace {

std::string_view view(const String& s) { return s.bytes(); }

String piece(const String& s, std::size_t pos, std::size_t len) {
  return String::from_bytes(view(s).substr(pos, len), s.encoding());
}

int32_t clamp_size(std::size_t n) {
  return n > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max()
                                                                           : static_cast<int32_t>(n);
}

// Length in bytes of the character at `pos`.
std::size_t char_length(const String& s, std::size_t pos) {
  std::string_view b = view(s);
  TextEncoding e = s.encoding();
  std::size_t rest = b.size() - pos;
  if (e == Encodings.UTF8) {
    std::size_t n = 1;
    while (n < rest && (static_cast<unsigned char>(b[pos + n]) & 0xC0) == 0x80) ++n;
    return n;
  }
  if (e == Encodings.UTF16) {
    if (rest >= 4) {
      auto hi = static_cast<unsigned char>(b[pos + 1]);
      if (hi >= 0xD8 && hi <= 0xDB) return 4;
    }
    return rest < 2 ? rest : 2;
  }
  if (e == Encodings.UTF32) return rest < 4 ? rest : 4;
  return 1;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

}  // namespace

int32_t LenB(const String& s) { return clamp_size(view(s).size()); }

String LeftB(const String& s, int32_t n) {
  if (n <= 0) return String::from_bytes({}, s.encoding());
  return piece(s, 0, static_cast<std::size_t>(n));
}

String MidB(const String& s, int32_t start, int32_t length) {
  std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
  if (from >= view(s).size() || length == 0) return String::from_bytes({}, s.encoding());
  return piece(s, from, length < 0 ? std::string_view::npos : static_cast<std::size_t>(length));
}

String NthFieldB(const String& s, const String& separator, int32_t n) {
  std::string_view b = view(s);
  std::string_view sep = view(separator);
  if (n < 1 || sep.empty()) return String::from_bytes({}, s.encoding());
  std::size_t start = 0;
  for (int32_t field = 1; field < n; ++field) {
    std::size_t at = b.find(sep, start);
    if (at == std::string_view::npos) return String::from_bytes({}, s.encoding());
    start = at + sep.size();
  }
  std::size_t end = b.find(sep, start);
  return piece(s, start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

int32_t Len(const String& s) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < view(s).size(); pos += char_length(s, pos)) ++count;
  return clamp_size(count);
}

std::vector<String> Split(const String& s, const String& delimiter) {
  std::vector<String> pieces;
  std::string_view b = view(s);
  std::string_view d = view(delimiter);
  if (b.empty()) return pieces;
  if (d.empty()) {
    for (std::size_t pos = 0; pos < b.size();) {
      std::size_t n = char_length(s, pos);
      pieces.push_back(piece(s, pos, n));
      pos += n;
    }
    return pieces;
  }
  std::size_t start = 0;
  while (true) {
    std::size_t at = b.find(d, start);
    if (at == std::string_view::npos) {
      pieces.push_back(piece(s, start, std::string_view::npos));
      return pieces;
    }
    pieces.push_back(piece(s, start, at - start));
    start = at + d.size();
  }
}

String Join(const std::vector<String>& pieces, const String& delimiter) {
  String result;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i) result += delimiter;
    result += pieces[i];
  }
  return result;
}

String Trim(const String& s) {
  std::string_view b = view(s);
  std::size_t first = 0;
  while (first < b.size() && is_blank(b[first])) ++first;
  std::size_t last = b.size();
  while (last > first && is_blank(b[last - 1])) --last;
  if (first == 0 && last == b.size()) return s;
  return piece(s, first, last - first);
}

String DefineEncoding(const String& s, TextEncoding encoding) {
  if (s.encoding() == encoding && s.object()) return s;
  return String::from_bytes(view(s), encoding);
}

String ConvertEncoding(const String& s, TextEncoding encoding) {
  return String::from_bytes(convert_bytes(view(s), s.encoding(), encoding), encoding);
}

double Val(const String& s) {
  std::string_view b = view(s);
  std::size_t i = 0;
  while (i < b.size() && (b[i] == ' ' || b[i] == '\t')) ++i;
  b.remove_prefix(i);
  if (b.size() >= 2 && b[0] == '&' && (b[1] == 'h' || b[1] == 'H')) {
    b.remove_prefix(2);
    // Digits up to the first non-digit; more than 64 bits' worth saturate.
    uint64_t value = 0;
    for (char c : b) {
      int digit = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
      if (digit < 0) break;
      if (value > (std::numeric_limits<uint64_t>::max() >> 4)) {
        value = std::numeric_limits<uint64_t>::max();
      } else {
        value = (value << 4) | static_cast<uint64_t>(digit);
      }
    }
    return static_cast<double>(value);
  }
  // Only the plain decimal form: from_chars alone would also take "inf" and "nan".
  std::size_t n = 0;
  if (n < b.size() && (b[n] == '+' || b[n] == '-')) ++n;
  std::size_t digits = 0;
  while (n < b.size() && b[n] >= '0' && b[n] <= '9') ++n, ++digits;
  if (n < b.size() && b[n] == '.') {
    ++n;
    while (n < b.size() && b[n] >= '0' && b[n] <= '9') ++n, ++digits;
  }
  if (digits == 0) return 0.0;
  if (n < b.size() && (b[n] == 'e' || b[n] == 'E')) {
    std::size_t e = n + 1;
    if (e < b.size() && (b[e] == '+' || b[e] == '-')) ++e;
    if (e < b.size() && b[e] >= '0' && b[e] <= '9') {
      while (e < b.size() && b[e] >= '0' && b[e] <= '9') ++e;
      n = e;
    }
  }
  std::string_view number = b.substr(0, n);
  if (number[0] == '+') number.remove_prefix(1);
  double value = 0.0;
  auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    return number[0] == '-' ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  }
  return value;
}

String Str(int64_t value) { return String(std::to_string(value)); }

String Str(double value) {
  char buffer[64];
  if (std::isfinite(value) && std::fabs(value) < 1e15 && value == std::trunc(value)) {
    return Str(static_cast<int64_t>(value));
  }
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
  (void)ec;
  return String(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

String Hex(int64_t value) {
  uint64_t bits = value < 0 && value >= INT32_MIN ? static_cast<uint32_t>(value) : static_cast<uint64_t>(value);
  char buffer[17];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, bits, 16);
  (void)ec;
  for (char* p = buffer; p != end; ++p) {
    if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
  }
  return String(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

}  // namespace framework
