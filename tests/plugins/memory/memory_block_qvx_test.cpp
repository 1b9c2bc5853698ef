#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bound_members.h"
#include "test_blocks.h"

namespace {

using namespace memtest;
using Bytes = std::vector<unsigned char>;

class MemoryBlockQVXTest : public BoundMemoryTest {
 protected:
  void SetUp() override {
    BoundMemoryTest::SetUp();
    object = pluginhost::new_instance("MemoryBlockQVX");
    ASSERT_TRUE(object);
  }

  unsigned char* Buffer() { return reinterpret_cast<unsigned char*>(static_cast<uintptr_t>(m().Address.get(object))); }
  // The bytes the object's Memory block shows.
  Bytes ThroughMemory() {
    Ref<MemoryBlock> block = m().Memory.get(object);
    if (!block) return {};
    return Bytes(block->data(), block->data() + m().Size.get(object));
  }
  void ExpectEmpty() {
    EXPECT_EQ(m().Size.get(object), 0);
    EXPECT_EQ(m().Address.get(object), 0);
    EXPECT_FALSE(m().Memory.get(object));
  }

  Ref<Object> object;
};

TEST_F(MemoryBlockQVXTest, NewObjectIsEmpty) { ExpectEmpty(); }

TEST_F(MemoryBlockQVXTest, CreateGivesZeroedBytesThroughMemory) {
  ASSERT_TRUE(m().Create(object, 16));
  EXPECT_EQ(m().Size.get(object), 16);
  EXPECT_NE(m().Address.get(object), 0);
  EXPECT_EQ(ThroughMemory(), Bytes(16, 0));
}

TEST_F(MemoryBlockQVXTest, MemoryIsABlockOverTheBufferForTheCaller) {
  ASSERT_TRUE(m().Create(object, 8));
  Ref<MemoryBlock> block = m().Memory.get(object);
  ASSERT_TRUE(block);
  EXPECT_EQ(block->data(), Buffer()) << "neither copied nor moved";
  EXPECT_EQ(block->reference_count(), 2) << "the object's and the caller's";
  Buffer()[3] = 0x5A;
  EXPECT_EQ(block->data()[3], 0x5A);
}

class MemoryBlockQVXRefusedCreateTest : public MemoryBlockQVXTest, public ::testing::WithParamInterface<int64_t> {};

TEST_P(MemoryBlockQVXRefusedCreateTest, LeavesTheObjectEmpty) {
  ASSERT_TRUE(m().Create(object, 16));
  EXPECT_FALSE(m().Create(object, GetParam()));
  ExpectEmpty();
  EXPECT_FALSE(m().Create(object, GetParam()));
  ExpectEmpty();
}

INSTANTIATE_TEST_SUITE_P(Sizes, MemoryBlockQVXRefusedCreateTest,
                         ::testing::Values(int64_t{0}, int64_t{-1}, int64_t{2147483648}, INT64_MIN));

class MemoryBlockQVXRefusedResizeTest : public MemoryBlockQVXTest, public ::testing::WithParamInterface<int64_t> {};

TEST_P(MemoryBlockQVXRefusedResizeTest, KeepsTheBuffer) {
  ASSERT_TRUE(m().Create(object, 4));
  std::memcpy(Buffer(), "\x01\x02\x03\x04", 4);
  int64_t before = m().Address.get(object);
  EXPECT_FALSE(m().Resize(object, GetParam()));
  EXPECT_EQ(m().Address.get(object), before);
  EXPECT_EQ(ThroughMemory(), (Bytes{1, 2, 3, 4}));
}

INSTANTIATE_TEST_SUITE_P(Sizes, MemoryBlockQVXRefusedResizeTest, ::testing::Values(int64_t{0}, int64_t{-1}, INT64_MIN));

TEST_F(MemoryBlockQVXTest, ResizeKeepsTheFirstBytes) {
  ASSERT_TRUE(m().Create(object, 16));
  for (int i = 0; i < 16; ++i) Buffer()[i] = static_cast<unsigned char>(i + 1);
  ASSERT_TRUE(m().Resize(object, 32));
  EXPECT_EQ(m().Size.get(object), 32);
  Bytes shown = ThroughMemory();
  ASSERT_EQ(shown.size(), 32u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(shown[i], i + 1) << "byte " << i;

  ASSERT_TRUE(m().Resize(object, 3));
  EXPECT_EQ(ThroughMemory(), (Bytes{1, 2, 3}));
}

TEST_F(MemoryBlockQVXTest, ResizeOfAnEmptyObjectGivesItABuffer) {
  ASSERT_TRUE(m().Resize(object, 5));
  EXPECT_EQ(m().Size.get(object), 5);
  EXPECT_NE(m().Address.get(object), 0);
  EXPECT_EQ(ThroughMemory().size(), 5u);
}

TEST_F(MemoryBlockQVXTest, ResizeCreateAndCloseDropTheOldWrapper) {
  ASSERT_TRUE(m().Create(object, 8));
  Ref<MemoryBlock> before_resize = m().Memory.get(object);
  ASSERT_TRUE(m().Resize(object, 4096));
  EXPECT_EQ(before_resize->reference_count(), 1) << "only the caller's reference is left";
  Ref<MemoryBlock> before_create = m().Memory.get(object);
  ASSERT_TRUE(m().Create(object, 8));
  EXPECT_EQ(before_create->reference_count(), 1);
  Ref<MemoryBlock> before_close = m().Memory.get(object);
  m().Close(object);
  EXPECT_EQ(before_close->reference_count(), 1);
}

TEST_F(MemoryBlockQVXTest, CloseTwiceIsHarmless) {
  ASSERT_TRUE(m().Create(object, 16));
  m().Close(object);
  ExpectEmpty();
  m().Close(object);
  ExpectEmpty();
}

TEST_F(MemoryBlockQVXTest, DestructorReleasesTheWrapper) {
  ASSERT_TRUE(m().Create(object, 64));
  Ref<MemoryBlock> shown = m().Memory.get(object);
  object = nullptr;  // the last reference: the destructor runs
  EXPECT_EQ(shown->reference_count(), 1);
}

TEST_F(MemoryBlockQVXTest, ExitEntryIsClose) {
  ASSERT_TRUE(m().Create(object, 16));
  m().Exit(object);
  ExpectEmpty();
}

using NewMemoryBlockFromPtrQVXTest = BoundMemoryTest;

TEST_F(NewMemoryBlockFromPtrQVXTest, ZeroIsNil) { EXPECT_FALSE(m().NewMemoryBlockFromPtrQVX(0)); }

TEST_F(NewMemoryBlockFromPtrQVXTest, ReadsTheMemoryAtTheAddress) {
  LowMemory memory;
  if (memory.bytes() == nullptr) GTEST_SKIP() << "no memory below 2 GiB to be had on this machine";
  std::memcpy(memory.bytes(), "\x09\x08\x07\x06", 4);
  Ref<MemoryBlock> block = m().NewMemoryBlockFromPtrQVX(memory.address());
  ASSERT_TRUE(block);
  EXPECT_EQ(block->data(), memory.bytes()) << "neither copied nor owned";
  EXPECT_EQ(Bytes(block->data(), block->data() + 4), (Bytes{9, 8, 7, 6}));
  EXPECT_EQ(block->reference_count(), 1);
}

}  // namespace
