// How the plug-in uses the host's services: asked on every call, and without
// one the members give their neutral results and write nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QVXMemory.h"
#include "fake_host.h"

namespace {

using memtest::FakeHost;
using Bytes = std::vector<unsigned char>;

constexpr const char* kFillBytes = "FillBytesQVX(offset as integer, count as integer, value as integer)";

class ServiceUseFixture {
 protected:
  void Load() {
    host.LoadPlugin();
    const REALclassDefinition* ext = host.Extension("MemoryBlock");
    fill = reinterpret_cast<qvxmemory::FillBytesQVXEntry>(host.Method(ext, kFillBytes));
    bytes_qvx = reinterpret_cast<qvxmemory::BytesQVXGetter>(host.Getter(ext, "BytesQVX"));
    const REALclassDefinition* cls = host.Class("MemoryBlockQVX");
    create = reinterpret_cast<qvxmemory::CreateEntry>(host.Method(cls, "Create(size as Int64) as boolean"));
    address = reinterpret_cast<qvxmemory::Int64Getter>(host.Getter(cls, "Address"));
    size = reinterpret_cast<qvxmemory::Int64Getter>(host.Getter(cls, "Size"));
    memory = reinterpret_cast<qvxmemory::MemoryGetter>(host.Getter(cls, "Memory"));
    new_from_ptr = reinterpret_cast<qvxmemory::NewMemoryBlockFromPtrEntry>(host.GlobalMethod()->function);
    ASSERT_TRUE(fill && bytes_qvx && create && address && size && memory && new_from_ptr);
  }

  FakeHost host;
  qvxmemory::FillBytesQVXEntry fill = nullptr;
  qvxmemory::BytesQVXGetter bytes_qvx = nullptr;
  qvxmemory::CreateEntry create = nullptr;
  qvxmemory::Int64Getter address = nullptr;
  qvxmemory::Int64Getter size = nullptr;
  qvxmemory::MemoryGetter memory = nullptr;
  qvxmemory::NewMemoryBlockFromPtrEntry new_from_ptr = nullptr;
};

class ServiceUseTest : public ServiceUseFixture, public ::testing::Test {
 protected:
  void SetUp() override { Load(); }
};

TEST_F(ServiceUseTest, BlockSizeIsAskedOnEveryCall) {
  REALmemoryBlock block = host.NewBlock(4);
  fill(block, 0, 0, 1);
  host.Bytes(block).resize(8, 0);
  fill(block, 0, 0, 2);
  EXPECT_EQ(host.Bytes(block), Bytes(8, 2));
  EXPECT_EQ(bytes_qvx(block, 0), 8);
  host.Release(block);
}

class LackingServiceTest : public ServiceUseFixture, public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    host.Lack(GetParam());
    Load();
  }
  bool Lacking(const char* service) const { return std::string(GetParam()) == service; }
};

TEST_P(LackingServiceTest, FillBytesQVXWritesOnlyWithBothBlockServices) {
  REALmemoryBlock block = host.NewBlock(16, 0xAA);
  fill(block, 0, 0, 1);
  fill(block, 0, 4, 2);
  bool can_fill = !Lacking("memoryBlockGetPtr") && !Lacking("memoryBlockGetSize");
  Bytes filled(16, 1);
  filled[0] = filled[1] = filled[2] = filled[3] = 2;
  EXPECT_EQ(host.Bytes(block), can_fill ? filled : Bytes(16, 0xAA));
  EXPECT_EQ(bytes_qvx(block, 0), Lacking("memoryBlockGetSize") ? 0 : 16);
  EXPECT_TRUE(host.RaisedExceptions().empty());
  host.Release(block);
}

TEST_P(LackingServiceTest, MemoryBlockQVXStaysSound) {
  REALobject object = host.NewInstance("MemoryBlockQVX");
  ASSERT_NE(object, nullptr);
  ASSERT_TRUE(create(object, 16));
  EXPECT_EQ(size(object, 0), 16);
  EXPECT_NE(address(object, 0), 0);
  REALmemoryBlock shown = memory(object, 0);
  // Without a wrapper, or without a way to add the caller's reference, there
  // is no block to hand out.
  bool can_show = !Lacking("PtrToMemoryBlock") && !Lacking("REALLockObject");
  EXPECT_EQ(shown != nullptr, can_show);
  host.Release(shown);
  host.Release(object);
  EXPECT_EQ(host.LiveObjects(), Lacking("REALUnlockObject") ? 1 : 0) << "only a release the host lacks is skipped";
}

TEST_P(LackingServiceTest, NilBlockIsRaisedOnlyWithTheExceptionServices) {
  fill(nullptr, 0, 1, 1);
  bool can_raise = !Lacking("PluginNewInstance") && !Lacking("RuntimeRaiseException");
  ASSERT_EQ(host.RaisedExceptions().size(), can_raise ? 1u : 0u);
  if (can_raise) {
    EXPECT_EQ(host.RaisedExceptions()[0].class_name, "NilObjectException");
    EXPECT_EQ(host.RaisedExceptions()[0].message, Lacking("REALBuildString") ? "" : "memoryblock is nil");
  }
}

TEST_P(LackingServiceTest, NewMemoryBlockFromPtrNeedsPtrToMemoryBlock) {
  static unsigned char byte = 0;
  // Only the host sees the address here, so any address will do.
  REALmemoryBlock block = new_from_ptr(static_cast<int32_t>(reinterpret_cast<uintptr_t>(&byte)));
  EXPECT_EQ(block != nullptr, !Lacking("PtrToMemoryBlock"));
  host.Release(block);
}

INSTANTIATE_TEST_SUITE_P(Services, LackingServiceTest,
                         ::testing::Values("memoryBlockGetPtr", "memoryBlockGetSize", "PtrToMemoryBlock",
                                           "REALLockObject", "REALUnlockObject", "PluginNewInstance",
                                           "RuntimeRaiseException", "REALBuildString"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
