#include "framework/memoryblock.h"

#include <gtest/gtest.h>

#include <functional>

#include "framework/exceptions.h"

namespace framework {
namespace {

TEST(MemoryBlockTest, NewBlockIsZeroedLittleEndian) {
  Ref<MemoryBlock> block = NewMemoryBlock(64);
  ASSERT_TRUE(block);
  EXPECT_FALSE(block == nullptr);
  EXPECT_EQ(block->Size(), 64);
  EXPECT_TRUE(block->LittleEndian());
  for (int i = 0; i < 64; ++i) EXPECT_EQ(block->UInt8Value(i), 0) << i;
  Ref<MemoryBlock> empty = NewMemoryBlock(0);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->Size(), 0);
  EXPECT_EQ(empty->ToString().bytes(), "");
}

TEST(MemoryBlockTest, SizesThatCannotBeHadGiveNil) {
  EXPECT_FALSE(NewMemoryBlock(-1));
  EXPECT_FALSE(NewMemoryBlock(int64_t{1} << 31));
}

TEST(MemoryBlockTest, MultiByteValuesHonourByteOrder) {
  Ref<MemoryBlock> block = NewMemoryBlock(8);
  ASSERT_TRUE(block);
  block->set_UInt32Value(1, 0x11223344);
  EXPECT_EQ(block->ToString().bytes(), std::string("\0\x44\x33\x22\x11\0\0\0", 8));
  block->set_LittleEndian(false);
  EXPECT_EQ(block->UInt32Value(1), 0x44332211u);
  block->set_Int32Value(4, -2);
  EXPECT_EQ(block->UInt8Value(4), 0xFF);
  EXPECT_EQ(block->UInt8Value(7), 0xFE);
  EXPECT_EQ(block->Int32Value(4), -2);
  block->set_LittleEndian(true);
  EXPECT_EQ(block->UInt32Value(4), 0xFEFFFFFFu);
}

struct BoundsCase {
  const char* name;
  std::function<void(MemoryBlock&)> access;
  friend void PrintTo(const BoundsCase& c, std::ostream* os) { *os << c.name; }
};

class MemoryBlockBoundsTest : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(MemoryBlockBoundsTest, OutsideRaisesOutOfBounds) {
  Ref<MemoryBlock> block = NewMemoryBlock(10);
  ASSERT_TRUE(block);
  EXPECT_THROW(GetParam().access(*block), OutOfBoundsException);
  EXPECT_EQ(block->ToString(), String::from_bytes(std::string(10, '\0'), Encodings.Undetermined));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MemoryBlockBoundsTest,
    ::testing::Values(BoundsCase{"ByteAtSize", [](MemoryBlock& b) { b.UInt8Value(10); }},
                      BoundsCase{"ByteNegative", [](MemoryBlock& b) { b.set_UInt8Value(-1, 1); }},
                      BoundsCase{"WordOverEnd", [](MemoryBlock& b) { b.set_UInt32Value(7, 1); }},
                      BoundsCase{"WordHugeOffset", [](MemoryBlock& b) { b.Int32Value(INT64_MAX - 1); }},
                      BoundsCase{"StringOverEnd", [](MemoryBlock& b) { b.StringValue(6, 5); }},
                      BoundsCase{"StringNegativeLength", [](MemoryBlock& b) { b.StringValue(0, -1); }},
                      BoundsCase{"StringFieldOverEnd", [](MemoryBlock& b) { b.set_StringValue(8, 3, String("ab")); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MemoryBlockTest, StringFieldIsNeverOverrun) {
  Ref<MemoryBlock> block = NewMemoryBlock(8);
  ASSERT_TRUE(block);
  for (int i = 0; i < 8; ++i) block->set_UInt8Value(i, 0xAA);
  block->set_StringValue(1, 4, String("xy"));  // shorter: rest of the field zeroed
  EXPECT_EQ(block->ToString().bytes(), std::string("\xAAxy\0\0\xAA\xAA\xAA", 8));
  block->set_StringValue(1, 4, String("123456"));  // longer: cut
  EXPECT_EQ(block->ToString().bytes(), std::string("\xAA"
                                                   "1234\xAA\xAA\xAA",
                                                   8));
  EXPECT_EQ(block->StringValue(2, 3).bytes(), "234");
  EXPECT_EQ(block->StringValue(2, 3).encoding(), Encodings.Undetermined);
}

TEST(MemoryBlockTest, ConvertsToAndFromStrings) {
  String bytes = String::from_bytes(std::string("\x05\0\x10", 3), Encodings.Undetermined);
  Ref<MemoryBlock> block = StringToMemoryBlock(bytes);
  ASSERT_TRUE(block);
  EXPECT_EQ(block->Size(), 3);
  EXPECT_EQ(block->UInt8Value(2), 0x10);
  EXPECT_EQ(block->ToString(), bytes);
  Ref<MemoryBlock> empty = StringToMemoryBlock(String());
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->Size(), 0);
}

TEST(MemoryBlockTest, ForeignBlockNeitherCopiesNorOwns) {
  uint8_t memory[4] = {1, 2, 3, 4};
  {
    Ref<MemoryBlock> known = foreign_memory_block(memory, 4);
    ASSERT_TRUE(known);
    EXPECT_EQ(known->data(), memory);
    known->set_UInt8Value(0, 9);
    EXPECT_EQ(memory[0], 9);
    EXPECT_THROW(known->UInt8Value(4), OutOfBoundsException);

    Ref<MemoryBlock> unknown = foreign_memory_block(memory);
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->Size(), -1);
    EXPECT_FALSE(unknown->size_known());
    EXPECT_EQ(unknown->data(), memory);
    EXPECT_THROW(unknown->UInt8Value(0), OutOfBoundsException);
    EXPECT_THROW(unknown->ToString(), OutOfBoundsException);
  }
  EXPECT_EQ(memory[3], 4);  // still ours after the blocks are gone
  EXPECT_FALSE(foreign_memory_block(nullptr, 4));
}

}  // namespace
}  // namespace framework
