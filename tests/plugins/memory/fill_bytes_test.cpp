#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bound_members.h"

namespace {

using namespace memtest;
using Bytes = std::vector<unsigned char>;

Bytes With(Bytes bytes, size_t from, size_t count, unsigned char value) {
  for (size_t i = from; i < from + count; ++i) bytes[i] = value;
  return bytes;
}

Bytes BytesOf(const MemoryBlock& block) { return Bytes(block.data(), block.data() + block.Size()); }

Ref<MemoryBlock> BlockOf(size_t size, unsigned char fill) {
  Ref<MemoryBlock> block = framework::NewMemoryBlock(static_cast<int64_t>(size));
  for (size_t i = 0; i < size; ++i) block->data()[i] = fill;
  return block;
}

struct FillCase {
  friend void PrintTo(const FillCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  size_t size;
  int32_t offset, count, value;
  Bytes expected;  // the block starts as 0xAA throughout
};

const Bytes k16(16, 0xAA);

class FillBytesQVXTest : public BoundMemoryTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillBytesQVXTest, FillsTheRangeInsideTheBlock) {
  const FillCase& c = GetParam();
  Ref<MemoryBlock> block = BlockOf(c.size, 0xAA);
  m().FillBytesQVX(block, c.offset, c.count, c.value);
  EXPECT_EQ(BytesOf(*block), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FillBytesQVXTest,
                         ::testing::Values(FillCase{"WholeBlockForCountZero", 16, 0, 0, 255, Bytes(16, 0xFF)},
                                           FillCase{"WholeBlockForNegativeCount", 16, 0, -5, 1, Bytes(16, 0x01)},
                                           FillCase{"LowEightBitsOfValue", 16, 2, 3, 511, With(k16, 2, 3, 0xFF)},
                                           FillCase{"NegativeValueByItsLowByte", 16, 0, 1, -1, With(k16, 0, 1, 0xFF)},
                                           FillCase{"NegativeOffsetWritesNothing", 16, -1, 4, 0, k16},
                                           FillCase{"CutAtTheEnd", 16, 12, 10, 7, With(k16, 12, 4, 7)},
                                           FillCase{"CountZeroFromAnOffsetIsCut", 16, 4, 0, 9, With(k16, 4, 12, 9)},
                                           FillCase{"OffsetAtTheEndWritesNothing", 16, 16, 1, 7, k16},
                                           FillCase{"OffsetPlusCountPastInt32", 16, 0x7FFFFFFF, 0x7FFFFFFF, 7, k16},
                                           FillCase{"LargeCountFromOffsetZero", 16, 0, 0x7FFFFFFF, 3, Bytes(16, 3)},
                                           // A region image: Size + 10 bytes whose first Size bytes start as 0xFF.
                                           FillCase{"RegionImage", 46, 0, 36, 255, With(Bytes(46, 0xAA), 0, 36, 0xFF)},
                                           FillCase{"EmptyRegionImage", 10, 0, 0, 255, Bytes(10, 0xFF)}),
                         [](const auto& info) { return std::string(info.param.name); });

using FillBytesQVXBlockTest = BoundMemoryTest;

TEST_F(FillBytesQVXBlockTest, NilBlockRaisesNilObjectException) {
  try {
    m().FillBytesQVX(Ref<MemoryBlock>(), 0, 4, 1);
    ADD_FAILURE() << "no exception";
  } catch (const framework::NilObjectException& e) {
    EXPECT_EQ(e.Message().utf8(), "memoryblock is nil");
    EXPECT_EQ(e.ErrorNumber(), 0);
  }
}

TEST_F(FillBytesQVXBlockTest, UnknownSizeWritesTheNamedRangeOnly) {
  Bytes memory(8, 0xAA);
  Ref<MemoryBlock> block = framework::foreign_memory_block(memory.data());
  ASSERT_FALSE(block->size_known());
  m().FillBytesQVX(block, 0, 0, 1);
  EXPECT_EQ(memory, Bytes(8, 0xAA)) << "count 0 on a block of unknown size";
  m().FillBytesQVX(block, 2, 5, 1);
  EXPECT_EQ(memory, With(Bytes(8, 0xAA), 2, 5, 1));
}

TEST_F(FillBytesQVXBlockTest, KnownSizeOfForeignMemoryBoundsTheFill) {
  Bytes memory(8, 0xAA);
  Ref<MemoryBlock> block = framework::foreign_memory_block(memory.data(), 4);
  m().FillBytesQVX(block, 1, 0, 2);
  EXPECT_EQ(memory, With(Bytes(8, 0xAA), 1, 3, 2));
}

TEST_F(FillBytesQVXBlockTest, BytesQVXIsTheReportedSize) {
  EXPECT_EQ(m().BytesQVX.get(framework::NewMemoryBlock(64)), 64);
  EXPECT_EQ(m().BytesQVX.get(framework::NewMemoryBlock(0)), 0);
  Bytes memory(4);
  EXPECT_LE(m().BytesQVX.get(framework::foreign_memory_block(memory.data())), 0) << "unknown size";
}

}  // namespace
