#pragma once
// The common start of the range members among the numeric methods (_Calc3te,
// _Calc2te, MultiplyUInt16QVX, MultiplyUInt8QVX, MinQVX, MaxQVX).

#include <cstdint>

#include "plugin_interface.h"

namespace qvxmemory {

// Runs the checks in their order: nil block (NilObjectException "memoryblock
// is nil"), nil addresses where the member takes them ("ptr is nil"), a
// negative offset (UnsupportedOperationException "offset < 0"). Then holds a
// reference to the block until it goes out of scope, asks once for the
// block's size (negative counts as 0) and bytes, and names the range: the
// given length when it is 1 or more, else up to the block's last byte.
// A range that would run past the end of a block of known size is cut there;
// on a block of size 0 a given length stands as named.
class NumericRange {
 public:
  NumericRange(REALmemoryBlock block, int32_t offsetByte, int32_t length);
  // MinQVX and MaxQVX: also tests the two addresses.
  NumericRange(REALmemoryBlock block, const void* first, const void* second, int32_t offsetByte, int32_t length);
  ~NumericRange();
  NumericRange(const NumericRange&) = delete;
  NumericRange& operator=(const NumericRange&) = delete;

  // False: an exception was raised or the host has no memoryBlockGetPtr; the
  // member returns its neutral result at once. A missing REALLockObject or
  // REALUnlockObject is skipped, a missing memoryBlockGetSize counts as size 0.
  bool started() const { return started_; }
  // The range's first byte; nil when there is nothing to write.
  unsigned char* bytes() const { return bytes_; }
  // Bytes in the range; 0 when there is nothing to do.
  int64_t length() const { return length_; }
  // Bytes from the range's first byte to the block's end: the most a member
  // may touch. Unbounded on a block of unknown size.
  int64_t room() const { return room_; }

 private:
  void Start(REALmemoryBlock block, int32_t offsetByte, int32_t length);

  REALmemoryBlock held_ = nullptr;
  bool started_ = false;
  unsigned char* bytes_ = nullptr;
  int64_t length_ = 0;
  int64_t room_ = 0;
};

}  // namespace qvxmemory
