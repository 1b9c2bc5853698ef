#pragma once
// QVXMemory loaded by the plug-in host from its folder and its members bound by
// declaration text, the way the application binds them at start-up.

#include <gtest/gtest.h>

#include "framework/exceptions.h"
#include "framework/memoryblock.h"
#include "pluginhost/pluginhost.h"

namespace memtest {

using framework::MemoryBlock;
using framework::Object;
using framework::Ref;

struct BoundMembers {
  pluginhost::Binder binder;
  pluginhost::Method<void(Ref<MemoryBlock>, int32_t, int32_t, int32_t)> FillBytesQVX =
      binder.method<void(Ref<MemoryBlock>, int32_t, int32_t, int32_t)>(
          "MemoryBlock", "FillBytesQVX(offset as integer, count as integer, value as integer)");
  pluginhost::Property<int32_t> BytesQVX = binder.property<int32_t>("MemoryBlock", "BytesQVX as Integer");

  pluginhost::Method<bool(Ref<Object>, int64_t)> Create =
      binder.method<bool(Ref<Object>, int64_t)>("MemoryBlockQVX", "Create(size as Int64) as boolean");
  pluginhost::Method<bool(Ref<Object>, int64_t)> Resize =
      binder.method<bool(Ref<Object>, int64_t)>("MemoryBlockQVX", "Resize(Size as Int64) as boolean");
  pluginhost::Method<void(Ref<Object>)> Close = binder.method<void(Ref<Object>)>("MemoryBlockQVX", "Close");
  pluginhost::Method<void(Ref<Object>)> Exit = binder.method<void(Ref<Object>)>("MemoryBlockQVX", "__exit");
  pluginhost::Property<int64_t> Address = binder.property<int64_t>("MemoryBlockQVX", "Address as Int64");
  pluginhost::Property<int64_t> Size = binder.property<int64_t>("MemoryBlockQVX", "Size as Int64");
  pluginhost::Property<Ref<MemoryBlock>> Memory =
      binder.property<Ref<MemoryBlock>>("MemoryBlockQVX", "Memory as Memoryblock");

  pluginhost::Method<Ref<MemoryBlock>(int32_t)> NewMemoryBlockFromPtrQVX =
      binder.method<Ref<MemoryBlock>(int32_t)>("", "NewMemoryBlockFromPtrQVX(ptr as integer) as memoryblock");

  std::vector<std::string> unresolved = binder.bind();
};

// Loads the plug-in folder once per process.
inline void LoadMemoryPlugin() {
  static bool loaded = [] {
    pluginhost::load_plugins(QVXMEMORY_DIR);
    return true;
  }();
  (void)loaded;
}

// A suite over one set of bound members; every test of it sees the same binding.
template <typename Members>
class BoundTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    LoadMemoryPlugin();
    members_ = new Members;
  }
  static void TearDownTestSuite() {
    delete members_;
    members_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(m().unresolved.empty()) << m().unresolved.front(); }

  static Members& m() { return *members_; }

 private:
  static inline Members* members_ = nullptr;
};

using BoundMemoryTest = BoundTest<BoundMembers>;

}  // namespace memtest
