#include "framework/encoding.h"

#include <array>
#include <cstring>
#include <vector>

namespace framework {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Code points of bytes 0x80..0xFF.
constexpr std::array<char16_t, 128> kMacRoman = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // A0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // A8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // B0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // B8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // C0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // C8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // D0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // D8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // E0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // E8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // F0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // F8
};

// Windows Latin 1 differs from ISO 8859-1 only in 0x80..0x9F. Its five unused
// bytes map to the C1 controls of the same value so that every byte survives a
// round trip.
constexpr std::array<char16_t, 32> kLatin1High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

char32_t single_byte_to_unicode(TextEncoding enc, unsigned char b) {
  if (b < 0x80) return b;
  if (enc == Encodings.MacRoman) return kMacRoman[b - 0x80];
  if (enc == Encodings.WindowsLatin1) return b < 0xA0 ? kLatin1High[b - 0x80] : b;
  return kReplacement;  // ASCII
}

int unicode_to_single_byte(TextEncoding enc, char32_t c) {
  if (c < 0x80) return static_cast<int>(c);
  if (enc == Encodings.MacRoman) {
    for (std::size_t i = 0; i < kMacRoman.size(); ++i) {
      if (kMacRoman[i] == c) return static_cast<int>(0x80 + i);
    }
  } else if (enc == Encodings.WindowsLatin1) {
    if (c >= 0xA0 && c <= 0xFF) return static_cast<int>(c);
    for (std::size_t i = 0; i < kLatin1High.size(); ++i) {
      if (kLatin1High[i] == c) return static_cast<int>(0x80 + i);
    }
  }
  return -1;
}

bool is_single_byte(TextEncoding enc) {
  return enc == Encodings.ASCII || enc == Encodings.MacRoman || enc == Encodings.WindowsLatin1;
}

std::vector<char32_t> decode_utf8(std::string_view s) {
  std::vector<char32_t> out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    int extra = b >= 0xF0 && b <= 0xF4 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b <= 0xDF ? 1 : -1;
    if (b >= 0xF5) extra = -1;
    if (extra < 0 || i + extra >= s.size()) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    char32_t c = b & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      auto cb = static_cast<unsigned char>(s[i + k]);
      if ((cb & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (cb & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are malformed.
    if (ok &&
        ((extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF))) {
      ok = false;
    }
    if (!ok) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    out.push_back(c);
    i += extra + 1;
  }
  return out;
}

void encode_utf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::vector<char32_t> decode(std::string_view s, TextEncoding enc) {
  if (enc == Encodings.UTF8) return decode_utf8(s);
  std::vector<char32_t> out;
  if (is_single_byte(enc)) {
    out.reserve(s.size());
    for (char ch : s) out.push_back(single_byte_to_unicode(enc, static_cast<unsigned char>(ch)));
  } else if (enc == Encodings.UTF16) {
    std::size_t units = s.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
      char16_t u;
      std::memcpy(&u, s.data() + 2 * i, 2);
      if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
        char16_t low;
        std::memcpy(&low, s.data() + 2 * (i + 1), 2);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          out.push_back(0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00));
          ++i;
          continue;
        }
      }
      out.push_back(u >= 0xD800 && u <= 0xDFFF ? kReplacement : char32_t(u));
    }
    if (s.size() % 2) out.push_back(kReplacement);
  } else if (enc == Encodings.UTF32) {
    std::size_t units = s.size() / 4;
    for (std::size_t i = 0; i < units; ++i) {
      char32_t u;
      std::memcpy(&u, s.data() + 4 * i, 4);
      out.push_back(u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
    }
    if (s.size() % 4) out.push_back(kReplacement);
  }
  return out;
}

std::string encode(const std::vector<char32_t>& text, TextEncoding enc) {
  std::string out;
  if (enc == Encodings.UTF8) {
    out.reserve(text.size());
    for (char32_t c : text) encode_utf8(c, out);
  } else if (is_single_byte(enc)) {
    out.reserve(text.size());
    for (char32_t c : text) {
      int b = unicode_to_single_byte(enc, c);
      out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
  } else if (enc == Encodings.UTF16) {
    for (char32_t c : text) {
      char16_t units[2];
      int n = 1;
      if (c >= 0x10000) {
        units[0] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        units[1] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        n = 2;
      } else {
        units[0] = static_cast<char16_t>(c);
      }
      out.append(reinterpret_cast<const char*>(units), 2 * n);
    }
  } else if (enc == Encodings.UTF32) {
    for (char32_t c : text) out.append(reinterpret_cast<const char*>(&c), 4);
  }
  return out;
}

}  // namespace

bool is_known_encoding(TextEncoding code) {
  return code == Encodings.MacRoman || code == Encodings.UTF16 || code == Encodings.WindowsLatin1 ||
         code == Encodings.ASCII || code == Encodings.UTF8 || code == Encodings.UTF32;
}

std::string convert_bytes(std::string_view bytes, TextEncoding from, TextEncoding to) {
  if (from == to || !is_known_encoding(from) || !is_known_encoding(to)) return std::string(bytes);
  return encode(decode(bytes, from), to);
}

}  // namespace framework
