// OSTypeQVX: a four-character code held as one 32-bit integer in the
// machine's byte order, its first character the most significant byte.

#include <algorithm>
#include <cstring>

#include "block_access.h"
#include "extension_routines.h"
#include "plugincommon/plugincommon.h"

namespace qvxmemory {
namespace {

constexpr uint32_t kFourBlanks = 0x20202020;

bool CodeFits(const BlockView& view, int32_t offset) { return RangeInside(view, offset, 4); }

// A code of one to three characters takes the leading places, as a code
// literal is written; the places behind them stay blank.
uint32_t CodeOf(const unsigned char* text, int64_t length) {
  unsigned char chars[4] = {' ', ' ', ' ', ' '};
  std::memcpy(chars, text, static_cast<size_t>(std::min<int64_t>(length, 4)));
  return uint32_t{chars[0]} << 24 | uint32_t{chars[1]} << 16 | uint32_t{chars[2]} << 8 | uint32_t{chars[3]};
}

}  // namespace

REALstring getOSType(REALmemoryBlock block, int32_t offset) {
  BlockView view = ViewBlock(block);
  if (!CodeFits(view, offset)) return nullptr;
  uint32_t code;
  std::memcpy(&code, view.bytes + offset, 4);
  const unsigned char chars[4] = {static_cast<unsigned char>(code >> 24), static_cast<unsigned char>(code >> 16),
                                  static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code)};
  return plugincommon::BuildStringWithEncoding(chars, 4, REALEncodingMacRoman);
}

void setOSType(REALmemoryBlock block, int32_t offset, REALstring value) {
  BlockView view = ViewBlock(block);
  if (!CodeFits(view, offset)) return;
  uint32_t code = kFourBlanks;
  if (value != nullptr) {
    // Bytes of undetermined encoding are taken as they are; other text as Mac Roman.
    if (plugincommon::host::REALGetStringEncoding(value) == REALEncodingUnknown) {
      plugincommon::rbRawText text(value);
      if (text.Ptr() == nullptr) return;
      code = CodeOf(text.Ptr(), text.Length());
    } else {
      plugincommon::rbText text(value);
      text.ConvertMacRoman();
      if (text.Failed()) return;
      code = CodeOf(text.Ptr(), text.Length());
    }
  }
  std::memcpy(view.bytes + offset, &code, 4);
}

}  // namespace qvxmemory
