// CopyBytesQVX (both forms) and the copies to and from foreign memory. Every
// copy is overlap-safe and moves exactly numBytes bytes or none: a range that
// leaves a block of known size, a negative offset or count, or a nil address
// copies nothing. Foreign memory is the caller's to keep large enough.

#include <cstdint>
#include <cstring>

#include "block_access.h"
#include "extension_routines.h"

namespace qvxmemory {
namespace {

void Move(unsigned char* to, const unsigned char* from, int32_t numBytes) {
  std::memmove(to, from, static_cast<size_t>(numBytes));
}

// A handle arrives as the declared 32-bit integer: the address of a master
// pointer, taken unsigned the way a 32-bit process holds addresses. The
// master pointer is read at the moment of the copy; nil when either is 0.
unsigned char* HandleMemory(int32_t handle) {
  if (handle == 0) return nullptr;
  auto* master = reinterpret_cast<unsigned char**>(static_cast<uintptr_t>(static_cast<uint32_t>(handle)));
  return *master;
}

}  // namespace

void copyBytes1(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, int32_t destOfs) {
  BlockView view = ViewBlock(block);
  if (numBytes <= 0 || !RangeInside(view, srcOfs, numBytes) || !RangeInside(view, destOfs, numBytes)) return;
  Move(view.bytes + destOfs, view.bytes + srcOfs, numBytes);
}

void copyBytes2(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, REALmemoryBlock destBlk, int32_t destOfs) {
  BlockView source = ViewBlock(block);
  BlockView dest = ViewBlock(destBlk);
  if (numBytes <= 0 || !RangeInside(source, srcOfs, numBytes) || !RangeInside(dest, destOfs, numBytes)) return;
  Move(dest.bytes + destOfs, source.bytes + srcOfs, numBytes);
}

void toMacPtr(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, void* destPtr) {
  BlockView view = ViewBlock(block);
  if (destPtr == nullptr || numBytes <= 0 || !RangeInside(view, srcOfs, numBytes)) return;
  Move(static_cast<unsigned char*>(destPtr), view.bytes + srcOfs, numBytes);
}

void fromMacPtr(REALmemoryBlock block, void* srcPtr, int32_t numBytes, int32_t destOfs) {
  BlockView view = ViewBlock(block);
  if (srcPtr == nullptr || numBytes <= 0 || !RangeInside(view, destOfs, numBytes)) return;
  Move(view.bytes + destOfs, static_cast<const unsigned char*>(srcPtr), numBytes);
}

void toMacHdl(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, int32_t destHandle) {
  BlockView view = ViewBlock(block);
  if (numBytes <= 0 || !RangeInside(view, srcOfs, numBytes)) return;
  if (unsigned char* dest = HandleMemory(destHandle)) Move(dest, view.bytes + srcOfs, numBytes);
}

void fromMacHdl(REALmemoryBlock block, int32_t srcHandle, int32_t numBytes, int32_t destOfs) {
  BlockView view = ViewBlock(block);
  if (numBytes <= 0 || !RangeInside(view, destOfs, numBytes)) return;
  if (const unsigned char* source = HandleMemory(srcHandle)) Move(view.bytes + destOfs, source, numBytes);
}

}  // namespace qvxmemory
