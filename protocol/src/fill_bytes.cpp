#include "protocol/fill_bytes.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace HID {
namespace {

void StandInFill(framework::MemoryBlock& block, int32_t offset, int32_t count, int32_t value) {
  const int64_t size = block.Size();
  int64_t n = count;
  if (n <= 0) n = size;
  if (n <= 0 || offset < 0 || offset >= size) return;
  n = std::min<int64_t>(n, size - offset);
  std::memset(block.data() + offset, value & 0xFF, static_cast<size_t>(n));
}

FillBytesEntry& entry() {
  static FillBytesEntry e;
  return e;
}

}  // namespace

void FillBytesQVX(framework::MemoryBlock& block, int32_t offset, int32_t count, int32_t value) {
  if (entry()) {
    entry()(block, offset, count, value);
  } else {
    StandInFill(block, offset, count, value);
  }
}

void SetFillBytesEntry(FillBytesEntry e) { entry() = std::move(e); }

}  // namespace HID
