#pragma once
// MemoryBlock: a byte buffer with typed access in a chosen byte order.
//
// Nothing reads or writes outside a block: every accessor checks its range and
// raises OutOfBoundsException for a range that is not wholly inside.
//
// A foreign block (foreign_memory_block) refers to memory it neither copies nor
// owns; whoever made it answers for that memory living as long as the block is
// used. A foreign block of unknown size reports Size() -1; since no range can be
// shown to lie inside it, all its accessors raise OutOfBoundsException, and only
// data() gives its memory (to the plug-in host, which works on it unchecked).

#include <cstdint>

#include "framework/object.h"
#include "framework/string.h"

namespace framework {

class MemoryBlock : public Object {
 public:
  static const ClassRecord& class_record();  // "MemoryBlock"

  // An empty owned block; NewMemoryBlock is the way to get one of a size.
  MemoryBlock() = default;

  // Bytes in the block; -1 for a foreign block of unknown size.
  int32_t Size() const { return size_; }
  bool size_known() const { return size_ >= 0; }

  // Byte order of the multi-byte accessors; true (this machine's order) at first.
  bool LittleEndian() const { return little_endian_; }
  void set_LittleEndian(bool value) { little_endian_ = value; }

  uint8_t UInt8Value(int64_t offset) const;
  void set_UInt8Value(int64_t offset, uint8_t value);
  uint32_t UInt32Value(int64_t offset) const;
  void set_UInt32Value(int64_t offset, uint32_t value);
  int32_t Int32Value(int64_t offset) const;
  void set_Int32Value(int64_t offset, int32_t value);

  // `length` bytes from `offset`, as a string of undetermined encoding.
  String StringValue(int64_t offset, int64_t length) const;
  // Writes the bytes of `value` into the field of `length` bytes at `offset`:
  // a shorter string leaves the rest of the field zeroed, a longer one is cut.
  void set_StringValue(int64_t offset, int64_t length, const String& value);

  // All bytes of the block as a string of undetermined encoding.
  String ToString() const;

  // The block's memory, for the plug-in host; nullptr for an empty owned block.
  uint8_t* data() const { return data_; }

 protected:
  void dispose() noexcept override {}
  ~MemoryBlock() override;

 private:
  friend Ref<MemoryBlock> NewMemoryBlock(int64_t size);
  friend Ref<MemoryBlock> foreign_memory_block(void* memory, int32_t size);

  // Throws OutOfBoundsException unless [offset, offset + length) is inside.
  void check(int64_t offset, int64_t length) const;

  uint8_t* data_ = nullptr;
  int32_t size_ = 0;
  bool owned_ = false;
  bool little_endian_ = true;
};

// A new block of `size` zero bytes; nil for a size below 0 or above
// 2147483647, or when the memory cannot be had.
Ref<MemoryBlock> NewMemoryBlock(int64_t size);

// A block over `memory`, which it neither copies nor owns; `size` below 0 means
// the size is unknown. Nil for a null `memory`.
Ref<MemoryBlock> foreign_memory_block(void* memory, int32_t size = -1);

// A new block holding the bytes of `s` (an empty block for the empty string);
// nil when the memory cannot be had.
Ref<MemoryBlock> StringToMemoryBlock(const String& s);

}  // namespace framework
