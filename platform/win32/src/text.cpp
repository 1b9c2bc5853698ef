// UTF-8 and UTF-16 for paths and device strings.

#include "objects.h"

namespace win32::detail {

std::u16string utf16(const std::string& in) {
  std::u16string out;
  size_t i = 0;
  while (i < in.size()) {
    unsigned char c = static_cast<unsigned char>(in[i++]);
    size_t extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 9;
    uint32_t point = extra == 0 ? c : 0xFFFD;
    if (extra >= 1 && extra <= 3 && in.size() - i >= extra) {
      uint32_t p = c & (0x3Fu >> extra);
      bool good = true;
      for (size_t k = 0; k < extra; ++k) {
        unsigned char d = static_cast<unsigned char>(in[i + k]);
        good = good && (d & 0xC0) == 0x80;
        p = (p << 6) | (d & 0x3F);
      }
      if (good) {
        i += extra;
        if (p <= 0x10FFFF && !(p >= 0xD800 && p < 0xE000)) point = p;
      }
    }
    if (point >= 0x10000) {
      point -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (point >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(point));
    }
  }
  return out;
}

std::string utf8(const std::u16string& in) {
  std::string out;
  for (size_t i = 0; i < in.size(); ++i) {
    uint32_t p = in[i];
    if (p >= 0xD800 && p < 0xDC00 && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] < 0xE000) {
      p = 0x10000 + ((p - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (p >= 0xD800 && p < 0xE000) {
      p = 0xFFFD;
    }
    if (p < 0x80) {
      out += static_cast<char>(p);
    } else if (p < 0x800) {
      out += static_cast<char>(0xC0 | (p >> 6));
      out += static_cast<char>(0x80 | (p & 0x3F));
    } else if (p < 0x10000) {
      out += static_cast<char>(0xE0 | (p >> 12));
      out += static_cast<char>(0x80 | ((p >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (p & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (p >> 18));
      out += static_cast<char>(0x80 | ((p >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((p >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (p & 0x3F));
    }
  }
  return out;
}

}  // namespace win32::detail
