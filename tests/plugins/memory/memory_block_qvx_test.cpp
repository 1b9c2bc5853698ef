#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "QVXMemory.h"
#include "fake_host.h"

namespace {

using memtest::FakeHost;
using Bytes = std::vector<unsigned char>;

// A MemoryBlockQVX instance and its members as a caller binds them.
class MemoryBlockQVXFixture {
 protected:
  void Load() {
    host.LoadPlugin();
    const REALclassDefinition* cls = host.Class("MemoryBlockQVX");
    create = reinterpret_cast<qvxmemory::CreateEntry>(host.Method(cls, "Create(size as Int64) as boolean"));
    resize = reinterpret_cast<qvxmemory::ResizeEntry>(host.Method(cls, "Resize(Size as Int64) as boolean"));
    close = reinterpret_cast<qvxmemory::CloseEntry>(host.Method(cls, "Close"));
    address = reinterpret_cast<qvxmemory::Int64Getter>(host.Getter(cls, "Address"));
    size = reinterpret_cast<qvxmemory::Int64Getter>(host.Getter(cls, "Size"));
    memory = reinterpret_cast<qvxmemory::MemoryGetter>(host.Getter(cls, "Memory"));
    new_from_ptr = reinterpret_cast<qvxmemory::NewMemoryBlockFromPtrEntry>(host.GlobalMethod()->function);
    object = host.NewInstance("MemoryBlockQVX");
    ASSERT_NE(object, nullptr);
  }
  void TearDownObject() {
    host.Release(object);
    EXPECT_EQ(host.LiveObjects(), 0) << "the destructor leaves nothing behind";
    EXPECT_TRUE(host.RaisedExceptions().empty());
  }

  unsigned char* Buffer() { return reinterpret_cast<unsigned char*>(static_cast<uintptr_t>(address(object, 0))); }
  // The bytes the object's Memory block shows, read through the host.
  Bytes ThroughMemory() {
    REALmemoryBlock block = memory(object, 0);
    if (block == nullptr) return {};
    auto* first = static_cast<unsigned char*>(host.BlockAddress(block));
    Bytes bytes(first, first + size(object, 0));
    host.Release(block);
    return bytes;
  }
  void ExpectEmpty() {
    EXPECT_EQ(size(object, 0), 0);
    EXPECT_EQ(address(object, 0), 0);
    EXPECT_EQ(memory(object, 0), nullptr);
  }

  FakeHost host;
  REALobject object = nullptr;
  qvxmemory::CreateEntry create = nullptr;
  qvxmemory::ResizeEntry resize = nullptr;
  qvxmemory::CloseEntry close = nullptr;
  qvxmemory::Int64Getter address = nullptr;
  qvxmemory::Int64Getter size = nullptr;
  qvxmemory::MemoryGetter memory = nullptr;
  qvxmemory::NewMemoryBlockFromPtrEntry new_from_ptr = nullptr;
};

template <typename Base>
class WithObject : public MemoryBlockQVXFixture, public Base {
 protected:
  void SetUp() override { Load(); }
  void TearDown() override { TearDownObject(); }
};

using MemoryBlockQVXTest = WithObject<::testing::Test>;

TEST_F(MemoryBlockQVXTest, NewObjectIsEmpty) { ExpectEmpty(); }

TEST_F(MemoryBlockQVXTest, CreateGivesZeroedBytesThroughMemory) {
  ASSERT_TRUE(create(object, 16));
  EXPECT_EQ(size(object, 0), 16);
  EXPECT_NE(address(object, 0), 0);
  EXPECT_EQ(ThroughMemory(), Bytes(16, 0));
}

TEST_F(MemoryBlockQVXTest, MemoryHandsTheCallerItsOwnReference) {
  ASSERT_TRUE(create(object, 8));
  REALmemoryBlock block = memory(object, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(host.BlockAddress(block), Buffer());
  EXPECT_EQ(host.Refs(reinterpret_cast<REALobject>(block)), 2);
  host.Release(block);
}

using MemoryBlockQVXRefusedCreateTest = WithObject<::testing::TestWithParam<int64_t>>;

TEST_P(MemoryBlockQVXRefusedCreateTest, LeavesTheObjectEmpty) {
  ASSERT_TRUE(create(object, 16));
  EXPECT_FALSE(create(object, GetParam()));
  ExpectEmpty();
  EXPECT_FALSE(create(object, GetParam()));
  ExpectEmpty();
}

INSTANTIATE_TEST_SUITE_P(Sizes, MemoryBlockQVXRefusedCreateTest,
                         ::testing::Values(int64_t{0}, int64_t{-1}, int64_t{2147483648}, INT64_MIN));

using MemoryBlockQVXRefusedResizeTest = WithObject<::testing::TestWithParam<int64_t>>;

TEST_P(MemoryBlockQVXRefusedResizeTest, KeepsTheBuffer) {
  ASSERT_TRUE(create(object, 4));
  std::memcpy(Buffer(), "\x01\x02\x03\x04", 4);
  int64_t before = address(object, 0);
  EXPECT_FALSE(resize(object, GetParam()));
  EXPECT_EQ(address(object, 0), before);
  EXPECT_EQ(ThroughMemory(), (Bytes{1, 2, 3, 4}));
}

INSTANTIATE_TEST_SUITE_P(Sizes, MemoryBlockQVXRefusedResizeTest, ::testing::Values(int64_t{0}, int64_t{-1}, INT64_MIN));

TEST_F(MemoryBlockQVXTest, ResizeKeepsTheFirstBytes) {
  ASSERT_TRUE(create(object, 16));
  for (int i = 0; i < 16; ++i) Buffer()[i] = static_cast<unsigned char>(i + 1);
  ASSERT_TRUE(resize(object, 32));
  EXPECT_EQ(size(object, 0), 32);
  Bytes shown = ThroughMemory();
  ASSERT_EQ(shown.size(), 32u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(shown[i], i + 1) << "byte " << i;

  ASSERT_TRUE(resize(object, 3));
  EXPECT_EQ(ThroughMemory(), (Bytes{1, 2, 3}));
}

TEST_F(MemoryBlockQVXTest, ResizeOfAnEmptyObjectGivesItABuffer) {
  ASSERT_TRUE(resize(object, 5));
  EXPECT_EQ(size(object, 0), 5);
  EXPECT_NE(address(object, 0), 0);
  EXPECT_EQ(ThroughMemory().size(), 5u);
}

TEST_F(MemoryBlockQVXTest, ResizeAndCreateDropTheOldWrapper) {
  ASSERT_TRUE(create(object, 8));
  REALmemoryBlock old_memory = memory(object, 0);
  ASSERT_TRUE(resize(object, 4096));
  EXPECT_EQ(host.Refs(reinterpret_cast<REALobject>(old_memory)), 1) << "only the caller's reference is left";
  host.Release(old_memory);
  old_memory = memory(object, 0);
  ASSERT_TRUE(create(object, 8));
  EXPECT_EQ(host.Refs(reinterpret_cast<REALobject>(old_memory)), 1);
  host.Release(old_memory);
}

TEST_F(MemoryBlockQVXTest, CloseTwiceIsHarmless) {
  ASSERT_TRUE(create(object, 16));
  close(object);
  ExpectEmpty();
  close(object);
  ExpectEmpty();
}

TEST_F(MemoryBlockQVXTest, DestroyingAHoldingObjectReleasesEverything) {
  ASSERT_TRUE(create(object, 64));
  // TearDown releases the object; the host then counts nothing left.
}

TEST_F(MemoryBlockQVXTest, NewMemoryBlockFromPtrReadsThatMemory) {
  EXPECT_EQ(new_from_ptr(0), nullptr);
  unsigned char memory_bytes[4] = {9, 8, 7, 6};
  REALmemoryBlock block = new_from_ptr(reinterpret_cast<REALsword>(memory_bytes));
  ASSERT_NE(block, nullptr);
  auto* first = static_cast<unsigned char*>(host.BlockAddress(block));
  EXPECT_EQ(first, memory_bytes) << "neither copied nor cut to 32 bits";
  EXPECT_EQ(Bytes(first, first + 4), (Bytes{9, 8, 7, 6}));
  host.Release(block);
}

// Without a host service the members still keep the object sound.
class MemoryBlockQVXLackingTest : public MemoryBlockQVXFixture, public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    host.Lack(GetParam());
    Load();
  }
  void TearDown() override { TearDownObject(); }
};

TEST_P(MemoryBlockQVXLackingTest, CreateStillOwnsABufferButMemoryIsNil) {
  ASSERT_TRUE(create(object, 16));
  EXPECT_EQ(size(object, 0), 16);
  EXPECT_NE(address(object, 0), 0);
  EXPECT_EQ(memory(object, 0), nullptr);
  if (std::string(GetParam()) == "PtrToMemoryBlock") {
    unsigned char byte = 0;
    EXPECT_EQ(new_from_ptr(reinterpret_cast<REALsword>(&byte)), nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(Services, MemoryBlockQVXLackingTest,
                         ::testing::Values("PtrToMemoryBlock", "REALLockObject"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
