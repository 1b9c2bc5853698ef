// FindBytesQVX, FindStringQVX, FindByteQVX and FindNotByteQVX. Positions count
// from the block's first byte; -1 is not found, -2 a search the arguments do
// not describe.

#include <algorithm>
#include <cstring>

#include "block_access.h"
#include "extension_routines.h"
#include "plugincommon/plugincommon.h"

namespace qvxmemory {
namespace {

constexpr int32_t kNotFound = -1;
constexpr int32_t kNoSearch = -2;

// The first position p from srcOfs at which the n pattern bytes stand, while
// p + n stays within the range of maxBytes (0: the block's size) and within a
// block of known size. A block of unknown size is bounded by the range alone.
int32_t FindPattern(const BlockView& view, int32_t srcOfs, int32_t maxBytes, const unsigned char* pattern, int64_t n) {
  if (!view.available) return kNotFound;
  const int64_t m = maxBytes != 0 ? maxBytes : view.size;
  const int64_t end = int64_t{srcOfs} + m;
  const int64_t limit = view.SizeKnown() ? view.size : end;
  if (limit <= srcOfs || srcOfs < 0 || m <= 0) return kNoSearch;
  const int64_t stop = std::min(end, limit);
  for (int64_t p = srcOfs; p + n <= stop; ++p) {
    if (view.bytes[p] == pattern[0] && std::memcmp(view.bytes + p + 1, pattern + 1, static_cast<size_t>(n - 1)) == 0) {
      return static_cast<int32_t>(p);
    }
  }
  return kNotFound;
}

// The first position in the bytes from srcOfs to srcOfs + numBytes - 1 whose
// byte is (or is not) the low 8 bits of byteValue. The range stops at the end
// of a block of known size.
int32_t ScanFor(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, int32_t byteValue, bool equal) {
  BlockView view = ViewBlock(block);
  int64_t n = LengthInside(view, srcOfs, numBytes);
  const auto value = static_cast<unsigned char>(byteValue & 0xFF);
  for (int64_t i = 0; i < n; ++i) {
    if ((view.bytes[srcOfs + i] == value) == equal) return static_cast<int32_t>(srcOfs + i);
  }
  return kNotFound;
}

}  // namespace

int32_t findBytes2(REALmemoryBlock block, int32_t srcOfs, int32_t maxBytes, REALmemoryBlock target, int32_t targOfs,
                   int32_t targLen) {
  if (block == nullptr || target == nullptr) return kNoSearch;
  BlockView pattern = ViewBlock(target);
  if (!pattern.available) return kNotFound;
  const int64_t n = targLen > 0 ? int64_t{targLen} : int64_t{pattern.size} - targOfs;
  if (n <= 0 || targOfs < 0) return kNoSearch;
  if (pattern.SizeKnown() && pattern.size <= targOfs) return kNoSearch;
  // A pattern that runs past the end of its block is no pattern there.
  if (!RangeInside(pattern, targOfs, n)) return kNoSearch;
  return FindPattern(ViewBlock(block), srcOfs, maxBytes, pattern.bytes + targOfs, n);
}

int32_t findBytes1(REALmemoryBlock block, int32_t srcOfs, int32_t maxBytes, REALstring target) {
  if (block == nullptr || target == nullptr) return kNoSearch;
  plugincommon::rbRawText text(target);
  if (text.Ptr() == nullptr) return kNotFound;  // the host gave no bytes
  if (text.Length() <= 0) return kNoSearch;
  return FindPattern(ViewBlock(block), srcOfs, maxBytes, text.Ptr(), text.Length());
}

int32_t FindByteQVX(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, int32_t byteValue) {
  return ScanFor(block, srcOfs, numBytes, byteValue, true);
}

int32_t FindNotByteQVX(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, int32_t byteValue) {
  return ScanFor(block, srcOfs, numBytes, byteValue, false);
}

}  // namespace qvxmemory
