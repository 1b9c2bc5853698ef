#include "framework/memoryblock.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "framework/exceptions.h"

namespace framework {

const ClassRecord& MemoryBlock::class_record() {
  static ClassRecord& record = define_class("MemoryBlock", &Object::class_record(), 0, native_type_of<MemoryBlock>());
  return record;
}

MemoryBlock::~MemoryBlock() {
  if (owned_) std::free(data_);
}

void MemoryBlock::check(int64_t offset, int64_t length) const {
  if (offset < 0 || length < 0 || size_ < 0 || offset > size_ || length > size_ - offset) {
    throw OutOfBoundsException();
  }
}

uint8_t MemoryBlock::UInt8Value(int64_t offset) const {
  check(offset, 1);
  return data_[offset];
}

void MemoryBlock::set_UInt8Value(int64_t offset, uint8_t value) {
  check(offset, 1);
  data_[offset] = value;
}

uint32_t MemoryBlock::UInt32Value(int64_t offset) const {
  check(offset, 4);
  const uint8_t* p = data_ + offset;
  if (little_endian_) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  }
  return uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 24;
}

void MemoryBlock::set_UInt32Value(int64_t offset, uint32_t value) {
  check(offset, 4);
  uint8_t* p = data_ + offset;
  for (int i = 0; i < 4; ++i) {
    uint8_t byte = static_cast<uint8_t>(value >> (8 * i));
    p[little_endian_ ? i : 3 - i] = byte;
  }
}

int32_t MemoryBlock::Int32Value(int64_t offset) const { return static_cast<int32_t>(UInt32Value(offset)); }

void MemoryBlock::set_Int32Value(int64_t offset, int32_t value) {
  set_UInt32Value(offset, static_cast<uint32_t>(value));
}

String MemoryBlock::StringValue(int64_t offset, int64_t length) const {
  check(offset, length);
  return String::from_bytes(
      std::string_view(reinterpret_cast<const char*>(data_) + offset, static_cast<std::size_t>(length)),
      Encodings.Undetermined);
}

void MemoryBlock::set_StringValue(int64_t offset, int64_t length, const String& value) {
  check(offset, length);
  std::string_view bytes = value.bytes();
  std::size_t field = static_cast<std::size_t>(length);
  std::size_t n = bytes.size() < field ? bytes.size() : field;
  if (n) std::memcpy(data_ + offset, bytes.data(), n);
  if (field > n) std::memset(data_ + offset + n, 0, field - n);
}

String MemoryBlock::ToString() const { return StringValue(0, size_); }

Ref<MemoryBlock> NewMemoryBlock(int64_t size) {
  if (size < 0 || size > std::numeric_limits<int32_t>::max()) return nullptr;
  void* memory = std::calloc(static_cast<std::size_t>(size ? size : 1), 1);
  if (!memory) return nullptr;
  Ref<MemoryBlock> block;
  try {
    block = make<MemoryBlock>();
  } catch (const std::bad_alloc&) {
    std::free(memory);
    return nullptr;
  }
  block->data_ = static_cast<uint8_t*>(memory);
  block->size_ = static_cast<int32_t>(size);
  block->owned_ = true;
  return block;
}

Ref<MemoryBlock> foreign_memory_block(void* memory, int32_t size) {
  if (!memory) return nullptr;
  Ref<MemoryBlock> block = make<MemoryBlock>();
  block->data_ = static_cast<uint8_t*>(memory);
  block->size_ = size < 0 ? -1 : size;
  return block;
}

Ref<MemoryBlock> StringToMemoryBlock(const String& s) {
  Ref<MemoryBlock> block = NewMemoryBlock(static_cast<int64_t>(s.bytes().size()));
  if (block && !s.empty()) std::memcpy(block->data(), s.bytes().data(), s.bytes().size());
  return block;
}

}  // namespace framework
