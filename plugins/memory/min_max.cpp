// MinQVX and MaxQVX: the element-wise smaller or larger of two memory areas
// into the block's range, for 8-, 16-, 32- and 64-bit elements, signed or
// unsigned, in the machine's byte order and without alignment.

#include <algorithm>
#include <cstring>

#include "extension_routines.h"
#include "numeric_range.h"

namespace qvxmemory {
namespace {

enum class Pick { Smaller, Larger };

// One element at a time in increasing order, each read before the result of
// the same index is written, so an area may be the range itself.
template <typename Element>
void Combine(unsigned char* dest, const unsigned char* first, const unsigned char* second, int64_t count, Pick pick) {
  for (int64_t i = 0; i < count; ++i) {
    Element a;
    Element b;
    std::memcpy(&a, first + i * sizeof(Element), sizeof(Element));
    std::memcpy(&b, second + i * sizeof(Element), sizeof(Element));
    const Element r = pick == Pick::Smaller ? std::min(a, b) : std::max(a, b);
    std::memcpy(dest + i * sizeof(Element), &r, sizeof(Element));
  }
}

template <typename Signed, typename Unsigned>
void CombineAs(bool isSigned, unsigned char* dest, const unsigned char* first, const unsigned char* second,
               int64_t count, Pick pick) {
  if (isSigned) {
    Combine<Signed>(dest, first, second, count, pick);
  } else {
    Combine<Unsigned>(dest, first, second, count, pick);
  }
}

REALboolean MinMax(REALmemoryBlock block, void* firstMem, void* secondMem, int32_t bitSize, REALboolean isSigned,
                   int32_t offsetByte, int32_t lengthBytes, Pick pick) {
  NumericRange range(block, firstMem, secondMem, offsetByte, lengthBytes);
  if (!range.started()) return 0;
  if (bitSize != 8 && bitSize != 16 && bitSize != 32 && bitSize != 64) return 0;
  const int64_t width = bitSize / 8;
  const int64_t count = range.length() / width;
  if (count == 0) return 1;
  const auto* first = static_cast<const unsigned char*>(firstMem);
  const auto* second = static_cast<const unsigned char*>(secondMem);
  unsigned char* dest = range.bytes();
  const bool is_signed = isSigned != 0;
  switch (bitSize) {
    case 8:
      CombineAs<int8_t, uint8_t>(is_signed, dest, first, second, count, pick);
      break;
    case 16:
      CombineAs<int16_t, uint16_t>(is_signed, dest, first, second, count, pick);
      break;
    case 32:
      CombineAs<int32_t, uint32_t>(is_signed, dest, first, second, count, pick);
      break;
    default:
      CombineAs<int64_t, uint64_t>(is_signed, dest, first, second, count, pick);
      break;
  }
  return 1;
}

}  // namespace

REALboolean MinQVX(REALmemoryBlock block, void* firstMem, void* secondMem, int32_t bitSize, REALboolean isSigned,
                   int32_t offsetByte, int32_t lengthBytes) {
  return MinMax(block, firstMem, secondMem, bitSize, isSigned, offsetByte, lengthBytes, Pick::Smaller);
}

REALboolean MaxQVX(REALmemoryBlock block, void* firstMem, void* secondMem, int32_t bitSize, REALboolean isSigned,
                   int32_t offsetByte, int32_t lengthBytes) {
  return MinMax(block, firstMem, secondMem, bitSize, isSigned, offsetByte, lengthBytes, Pick::Larger);
}

}  // namespace qvxmemory
