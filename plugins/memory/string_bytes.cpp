// GetStringQVX and SetStringQVX: a block's bytes as a string and back, without
// any conversion.

#include <algorithm>
#include <cstring>

#include "block_access.h"
#include "extension_routines.h"
#include "plugincommon/plugincommon.h"

namespace qvxmemory {

REALstring getString(REALmemoryBlock block, int32_t offset, int32_t numBytes) {
  if (offset < 0 || numBytes < 0) return nullptr;
  BlockView view = ViewBlock(block);
  if (!view.available) return nullptr;
  if (view.SizeKnown() && offset > view.size) return nullptr;
  int64_t n = LengthInside(view, offset, numBytes);
  if (n <= 0) return nullptr;
  return plugincommon::BuildStringWithEncoding(view.bytes + offset, n, REALEncodingUnknown);
}

void setString(REALmemoryBlock block, REALstring str, int32_t offset) {
  if (str == nullptr) return;
  BlockView view = ViewBlock(block);
  if (!view.available) return;
  plugincommon::rbRawText text(str);
  if (text.Ptr() == nullptr) return;
  int64_t n = LengthInside(view, offset, text.Length());
  if (n <= 0) return;
  std::memmove(view.bytes + offset, text.Ptr(), static_cast<size_t>(n));
}

}  // namespace qvxmemory
