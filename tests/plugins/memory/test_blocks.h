#pragma once
// Blocks, foreign memory and registered entries for the extension's tests.

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/memoryblock.h"
#include "pluginhost/pluginhost.h"

namespace memtest {

using Bytes = std::vector<unsigned char>;

inline Bytes Iota(size_t n, unsigned char first = 0) {
  Bytes bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(first + i);
  return bytes;
}

inline framework::Ref<framework::MemoryBlock> BlockOf(const Bytes& bytes) {
  framework::Ref<framework::MemoryBlock> block = framework::NewMemoryBlock(static_cast<int64_t>(bytes.size()));
  for (size_t i = 0; i < bytes.size(); ++i) block->data()[i] = bytes[i];
  return block;
}

inline Bytes BytesOf(const framework::MemoryBlock& block) { return Bytes(block.data(), block.data() + block.Size()); }

// The block's bytes, or nullopt for nil.
inline std::optional<Bytes> BytesOrNil(const framework::Ref<framework::MemoryBlock>& block) {
  if (!block) return std::nullopt;
  return BytesOf(*block);
}

// Memory with room behind a block of `size` bytes that shows its first bytes,
// so that a test sees anything written past the block's end.
struct Guarded {
  explicit Guarded(const Bytes& bytes, size_t room = 16, unsigned char guard = 0xEE) : memory(bytes) {
    memory.resize(bytes.size() + room, guard);
    block = framework::foreign_memory_block(memory.data(), static_cast<int32_t>(bytes.size()));
  }
  Bytes memory;
  framework::Ref<framework::MemoryBlock> block;
};

// A block of unknown size over memory of the test's own.
struct Unsized {
  explicit Unsized(const Bytes& bytes) : memory(bytes) { block = framework::foreign_memory_block(memory.data()); }
  Bytes memory;
  framework::Ref<framework::MemoryBlock> block;
};

// Memory below 2 GiB, which a 32-bit address argument can name.
class LowMemory {
 public:
  LowMemory() {
#ifdef MAP_32BIT
    void* p = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
    if (p != MAP_FAILED) bytes_ = static_cast<unsigned char*>(p);
#endif
  }
  ~LowMemory() {
    if (bytes_ != nullptr) munmap(bytes_, 4096);
  }
  LowMemory(const LowMemory&) = delete;
  LowMemory& operator=(const LowMemory&) = delete;
  unsigned char* bytes() const { return bytes_; }
  int32_t address(size_t offset = 0) const {
    return static_cast<int32_t>(reinterpret_cast<uintptr_t>(bytes_ + offset));
  }

 private:
  unsigned char* bytes_ = nullptr;
};

// The entry the extension registered under the declaration, for calls with
// arguments that bound entries cannot pass (a nil string).
inline const pluginhost::PluginMethod* Registered(const std::string& declaration) {
  std::string wanted = pluginhost::normal_declaration(declaration);
  for (const pluginhost::PluginClass* extension : pluginhost::extensions_of("MemoryBlock")) {
    for (const pluginhost::PluginMethod& method : extension->methods) {
      if (pluginhost::normal_declaration(method.declaration) == wanted) return &method;
    }
  }
  return nullptr;
}

template <typename Exception, typename Fn>
void ExpectRaises(Fn call, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message().utf8(), message);
    EXPECT_EQ(e.ErrorNumber(), 0);
  }
}

}  // namespace memtest
