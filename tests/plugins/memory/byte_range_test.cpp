// MidQVX, LeftQVX, RightQVX, AppendQVX, AddressQVX, AddressPtrQVX,
// GetStringQVX, SetStringQVX, OSTypeQVX and FSSpecQVX through bound entries.
#include <ostream>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "bound_members.h"
#include "test_blocks.h"

namespace {

using namespace memtest;
using framework::FolderItem;
using framework::String;

struct RangeMembers {
  pluginhost::Binder binder;
  template <typename Sig>
  pluginhost::Method<Sig> Bind(const char* declaration) {
    return binder.method<Sig>("MemoryBlock", declaration);
  }
  using Block = Ref<MemoryBlock>;

  pluginhost::Method<Block(Block, int32_t)> Mid1 =
      Bind<Block(Block, int32_t)>("MidQVX(offset as integer) as Memoryblock");
  pluginhost::Method<Block(Block, int32_t, int32_t)> Mid2 =
      Bind<Block(Block, int32_t, int32_t)>("MidQVX(offset As Integer, length As Integer) as Memoryblock");
  pluginhost::Method<Block(Block, int32_t)> Left =
      Bind<Block(Block, int32_t)>("LeftQVX(length as integer) as Memoryblock");
  pluginhost::Method<Block(Block, int32_t)> Right =
      Bind<Block(Block, int32_t)>("RightQVX(length As Integer) as Memoryblock");
  pluginhost::Method<Block(Block, Block)> Append =
      Bind<Block(Block, Block)>("AppendQVX(other as Memoryblock) as Memoryblock");
  pluginhost::Method<uint64_t(Block, int64_t)> Address =
      Bind<uint64_t(Block, int64_t)>("AddressQVX(offset as Int64 = 0) as UInt64");
  pluginhost::Method<void*(Block, int64_t)> AddressPtr =
      Bind<void*(Block, int64_t)>("AddressPtrQVX(offset as Int64 = 0) as Ptr");
  pluginhost::Method<String(Block, int32_t, int32_t)> GetString =
      Bind<String(Block, int32_t, int32_t)>("GetStringQVX(offset as Integer, numBytes as Integer) as String");
  pluginhost::Method<void(Block, String, int32_t)> SetString =
      Bind<void(Block, String, int32_t)>("SetStringQVX(str as String, offset as Integer)");
  pluginhost::Method<String(Block, int32_t)> OSType =
      Bind<String(Block, int32_t)>("OSTypeQVX(offset as Integer) as String");
  pluginhost::Method<Ref<FolderItem>(Block, int32_t)> FSSpec =
      Bind<Ref<FolderItem>(Block, int32_t)>("FSSpecQVX(offset as Integer) as FolderItem");

  std::vector<std::string> unresolved = binder.bind();
};

using ByteRangeTest = BoundTest<RangeMembers>;
const Bytes kTen = Iota(10);

// ---- MidQVX, LeftQVX, RightQVX ----------------------------------------------

struct SubBlockCase {
  friend void PrintTo(const SubBlockCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::function<Ref<MemoryBlock>(RangeMembers&, Ref<MemoryBlock>)> call;
  std::optional<Bytes> expected;  // nullopt: nil
};

class SubBlockTest : public ByteRangeTest, public ::testing::WithParamInterface<SubBlockCase> {};

TEST_P(SubBlockTest, CopiesTheRangeOfTheTenBytes) {
  Ref<MemoryBlock> block = BlockOf(kTen);
  Ref<MemoryBlock> result = GetParam().call(m(), block);
  EXPECT_EQ(BytesOrNil(result), GetParam().expected);
  EXPECT_EQ(BytesOf(*block), kTen) << "the block itself stays";
  if (result) {
    EXPECT_NE(result->data(), block->data()) << "a copy";
  }
}

using M = RangeMembers;
INSTANTIATE_TEST_SUITE_P(
    Cases, SubBlockTest,
    ::testing::Values(
        SubBlockCase{"MidToTheEnd", [](M& m, auto b) { return m.Mid1(b, 4); }, Bytes{4, 5, 6, 7, 8, 9}},
        SubBlockCase{"MidFromTheEndIsNil", [](M& m, auto b) { return m.Mid1(b, 10); }, std::nullopt},
        SubBlockCase{"MidFromNegativeIsNil", [](M& m, auto b) { return m.Mid1(b, -1); }, std::nullopt},
        SubBlockCase{"MidCutAtTheEnd", [](M& m, auto b) { return m.Mid2(b, 8, 5); }, Bytes{8, 9}},
        SubBlockCase{"MidLengthPastInt32", [](M& m, auto b) { return m.Mid2(b, 2, INT32_MAX); }, Iota(8, 2)},
        SubBlockCase{"MidOfNoLengthIsNil", [](M& m, auto b) { return m.Mid2(b, 3, 0); }, std::nullopt},
        SubBlockCase{"MidOfNegativeLengthIsNil", [](M& m, auto b) { return m.Mid2(b, 3, -2); }, std::nullopt},
        SubBlockCase{"MidLengthFromNegativeIsNil", [](M& m, auto b) { return m.Mid2(b, -1, 3); }, std::nullopt},
        SubBlockCase{"Left", [](M& m, auto b) { return m.Left(b, 3); }, Bytes{0, 1, 2}},
        SubBlockCase{"LeftLongerThanTheBlock", [](M& m, auto b) { return m.Left(b, 50); }, kTen},
        SubBlockCase{"LeftOfNothingIsNil", [](M& m, auto b) { return m.Left(b, 0); }, std::nullopt},
        SubBlockCase{"Right", [](M& m, auto b) { return m.Right(b, 3); }, Bytes{7, 8, 9}},
        SubBlockCase{"RightLongerThanTheBlock", [](M& m, auto b) { return m.Right(b, 50); }, kTen},
        SubBlockCase{"RightOfNothingIsNil", [](M& m, auto b) { return m.Right(b, 0); }, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// Sub-blocks need a known size: an empty block and one of unknown size give nil.
struct SizelessCase {
  friend void PrintTo(const SizelessCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::function<Ref<MemoryBlock>(RangeMembers&, Ref<MemoryBlock>)> call;
};

class SubBlockOfSizelessTest : public ByteRangeTest, public ::testing::WithParamInterface<SizelessCase> {};

TEST_P(SubBlockOfSizelessTest, IsNil) {
  Unsized unsized(kTen);
  EXPECT_FALSE(GetParam().call(m(), unsized.block));
  EXPECT_FALSE(GetParam().call(m(), framework::NewMemoryBlock(0)));
}

TEST_P(SubBlockOfSizelessTest, NilBlockRaisesNilObjectException) {
  ExpectRaises<framework::NilObjectException>([&] { GetParam().call(m(), nullptr); }, "memoryblock is nil");
}

INSTANTIATE_TEST_SUITE_P(Members, SubBlockOfSizelessTest,
                         ::testing::Values(SizelessCase{"Mid1", [](M& m, auto b) { return m.Mid1(b, 0); }},
                                           SizelessCase{"Mid2", [](M& m, auto b) { return m.Mid2(b, 0, 2); }},
                                           SizelessCase{"Left", [](M& m, auto b) { return m.Left(b, 2); }},
                                           SizelessCase{"Right", [](M& m, auto b) { return m.Right(b, 2); }},
                                           SizelessCase{"Append", [](M& m, auto b) { return m.Append(b, b); }}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- AppendQVX --------------------------------------------------------------

TEST_F(ByteRangeTest, AppendJoinsTheBytesOfBothBlocks) {
  Ref<MemoryBlock> block = BlockOf(kTen);
  Ref<MemoryBlock> other = BlockOf({0xAA, 0xBB, 0xCC});
  Bytes expected = kTen;
  expected.insert(expected.end(), {0xAA, 0xBB, 0xCC});
  EXPECT_EQ(BytesOrNil(m().Append(block, other)), expected);
  EXPECT_EQ(BytesOf(*block), kTen);
  EXPECT_EQ(BytesOf(*other), (Bytes{0xAA, 0xBB, 0xCC}));
}

TEST_F(ByteRangeTest, AppendWithOneSideEmptyIsACopyOfTheOther) {
  Ref<MemoryBlock> block = BlockOf(kTen);
  Ref<MemoryBlock> copy = m().Append(block, framework::NewMemoryBlock(0));
  ASSERT_TRUE(copy);
  EXPECT_NE(copy->data(), block->data());
  EXPECT_EQ(BytesOf(*copy), kTen);
  Unsized unsized({1, 2});
  EXPECT_EQ(BytesOrNil(m().Append(unsized.block, block)), kTen) << "a block of unknown size counts as empty";
  EXPECT_FALSE(m().Append(framework::NewMemoryBlock(0), unsized.block)) << "both empty";
}

TEST_F(ByteRangeTest, AppendOfANilOtherRaisesNilObjectException) {
  ExpectRaises<framework::NilObjectException>([&] { m().Append(BlockOf(kTen), nullptr); }, "memoryblock is nil");
}

// ---- AddressQVX, AddressPtrQVX ------------------------------------------------

struct AddressCase {
  friend void PrintTo(const AddressCase& c, std::ostream* os) { *os << "offset " << c.offset; }
  int64_t offset;
  bool valid;  // the address of byte `offset`, else 0
};

class AddressTest : public ByteRangeTest, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(AddressTest, IsTheByteAddressInsideTheBlockOrZero) {
  Ref<MemoryBlock> block = BlockOf(kTen);
  const auto base = reinterpret_cast<uintptr_t>(block->data());
  const uint64_t expected = GetParam().valid ? base + static_cast<uint64_t>(GetParam().offset) : 0;
  EXPECT_EQ(m().Address(block, GetParam().offset), expected);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(m().AddressPtr(block, GetParam().offset)), expected);
}

INSTANTIATE_TEST_SUITE_P(Offsets, AddressTest,
                         ::testing::Values(AddressCase{0, true}, AddressCase{3, true}, AddressCase{10, true},
                                           AddressCase{11, false}, AddressCase{-1, false},
                                           AddressCase{int64_t{1} << 40, false}, AddressCase{INT64_MIN, false}));

TEST_F(ByteRangeTest, AddressOfABlockOfUnknownSizeTakesAnyOffsetFromZero) {
  Unsized unsized(kTen);
  const auto base = reinterpret_cast<uintptr_t>(unsized.memory.data());
  EXPECT_EQ(m().Address(unsized.block, 4096), base + 4096);
  EXPECT_EQ(m().Address(unsized.block, -1), 0u);
  EXPECT_EQ(m().Address(nullptr, 0), 0u) << "a nil block has no address";
  EXPECT_EQ(m().AddressPtr(nullptr, 0), nullptr);
}

// ---- GetStringQVX -------------------------------------------------------------

struct GetStringCase {
  friend void PrintTo(const GetStringCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  int32_t offset, numBytes;
  std::optional<std::string> expected;  // nullopt: nil
  uint32_t encoding = 0;
};

class GetStringTest : public ByteRangeTest, public ::testing::WithParamInterface<GetStringCase> {};

TEST_P(GetStringTest, GivesTheBytesAsTheyAre) {
  Bytes bytes = kTen;
  bytes[5] = 0xE4;
  String s = m().GetString(BlockOf(bytes), GetParam().offset, GetParam().numBytes);
  if (!GetParam().expected) {
    EXPECT_FALSE(s.object()) << "nil, not an empty string";
    return;
  }
  ASSERT_TRUE(s.object());
  EXPECT_EQ(std::string(s.bytes()), *GetParam().expected);
  EXPECT_EQ(s.encoding(), GetParam().encoding);
}

INSTANTIATE_TEST_SUITE_P(Cases, GetStringTest,
                         ::testing::Values(GetStringCase{"AsciiRange", 2, 3, std::string("\x02\x03\x04", 3), 0x0600},
                                           GetStringCase{"CutAtTheEnd", 8, 100, std::string("\x08\x09", 2), 0x0600},
                                           GetStringCase{"ZeroBytesStay", 0, 2, std::string("\x00\x01", 2), 0x0600},
                                           GetStringCase{"HighByteIsUndetermined", 4, 2, std::string("\x04\xE4", 2),
                                                         0xFFFF},
                                           GetStringCase{"FromTheEndIsNil", 10, 1, std::nullopt},
                                           GetStringCase{"PastTheEndIsNil", 11, 1, std::nullopt},
                                           GetStringCase{"NoBytesIsNil", 0, 0, std::nullopt},
                                           GetStringCase{"NegativeOffsetIsNil", -1, 2, std::nullopt},
                                           GetStringCase{"NegativeCountIsNil", 0, -1, std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- SetStringQVX -------------------------------------------------------------

TEST_F(ByteRangeTest, SetStringWritesNoFurtherThanTheBlock) {
  Guarded guarded(kTen);
  m().SetString(guarded.block, String("abcdef"), 7);
  Bytes expected = kTen;
  expected[7] = 'a', expected[8] = 'b', expected[9] = 'c';
  expected.resize(guarded.memory.size(), 0xEE);
  EXPECT_EQ(guarded.memory, expected);

  m().SetString(guarded.block, String("xyz"), 10);
  m().SetString(guarded.block, String("xyz"), -1);
  m().SetString(guarded.block, String(""), 0);
  EXPECT_EQ(guarded.memory, expected);
}

TEST_F(ByteRangeTest, SetStringWritesTheStoredBytesWithoutConversion) {
  Ref<MemoryBlock> block = BlockOf(kTen);
  m().SetString(block, String("\xC3\xA4\x00z"), 1);  // UTF-8 text, no terminating zero written
  EXPECT_EQ(BytesOf(*block), (Bytes{0, 0xC3, 0xA4, 3, 4, 5, 6, 7, 8, 9}));

  Unsized unsized(Bytes(8, 0));
  m().SetString(unsized.block, String::from_bytes("\x01\x02\x03\x04\x05", 0xFFFF), 2);
  EXPECT_EQ(unsized.memory, (Bytes{0, 0, 1, 2, 3, 4, 5, 0})) << "a block of unknown size takes the whole text";
}

TEST_F(ByteRangeTest, SetStringOfNilWritesNothing) {
  Ref<MemoryBlock> block = BlockOf(kTen);
  const pluginhost::PluginMethod* set = Registered("SetStringQVX(str as String, offset as Integer)");
  ASSERT_NE(set, nullptr);
  reinterpret_cast<void (*)(REALmemoryBlock, REALstring, int32_t)>(set->function)(pluginhost::to_handle(block.get()),
                                                                                  nullptr, 0);
  EXPECT_EQ(BytesOf(*block), kTen);
}

// ---- OSTypeQVX ----------------------------------------------------------------

struct OSTypeCase {
  friend void PrintTo(const OSTypeCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  String assigned;
  Bytes stored;  // bytes 0 to 3 afterwards
  std::string read_back;
};

class OSTypeAssignTest : public ByteRangeTest, public ::testing::WithParamInterface<OSTypeCase> {};

TEST_P(OSTypeAssignTest, StoresTheCodeInMachineOrder) {
  Ref<MemoryBlock> block = BlockOf(kTen);
  m().OSType.assign(block, 0, GetParam().assigned);
  EXPECT_EQ(Bytes(block->data(), block->data() + 4), GetParam().stored);
  EXPECT_EQ(Bytes(block->data() + 4, block->data() + 10), Iota(6, 4)) << "nothing beyond the four bytes";
  String back = m().OSType(block, 0);
  EXPECT_EQ(std::string(back.bytes()), GetParam().read_back);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OSTypeAssignTest,
    ::testing::Values(OSTypeCase{"FourCharacters", String("TEXT"), Bytes{'T', 'X', 'E', 'T'}, "TEXT"},
                      OSTypeCase{"FirstFourOfFive", String("abcde"), Bytes{'d', 'c', 'b', 'a'}, "abcd"},
                      OSTypeCase{"EmptyIsBlanks", String(""), Bytes(4, ' '), "    "},
                      OSTypeCase{"ShortTextLeads", String("ab"), Bytes{' ', ' ', 'b', 'a'}, "ab  "},
                      OSTypeCase{"TextInMacRoman", String("\xC3\xA4xyz"), Bytes{'z', 'y', 'x', 0x8A}, "\x8Axyz"},
                      OSTypeCase{"UndeterminedBytesAsTheyAre", String::from_bytes("\xE4\x01pq", 0xFFFF),
                                 Bytes{'q', 'p', 0x01, 0xE4}, "\xE4\x01pq"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ByteRangeTest, OSTypeReadsFourCharactersTaggedByTheirBytes) {
  Ref<MemoryBlock> block = BlockOf({'T', 'X', 'E', 'T', 0x00, 'a', 'b', 0x8A, 0, 0});
  String ascii = m().OSType(block, 0);
  EXPECT_EQ(std::string(ascii.bytes()), "TEXT");
  EXPECT_EQ(ascii.encoding(), 0x0600u);
  String roman = m().OSType(block, 4);
  EXPECT_EQ(std::string(roman.bytes()), std::string("\x8A"
                                                    "ba\x00",
                                                    4))
      << "zero bytes stay";
  EXPECT_EQ(roman.encoding(), 0u) << "Mac Roman";
}

TEST_F(ByteRangeTest, OSTypeOutsideTheBlockIsNilAndWritesNothing) {
  Guarded guarded(kTen);
  EXPECT_FALSE(m().OSType(guarded.block, 7).object());
  EXPECT_FALSE(m().OSType(guarded.block, -1).object());
  m().OSType.assign(guarded.block, 7, String("abcd"));
  m().OSType.assign(guarded.block, -1, String("abcd"));
  Bytes expected = kTen;
  expected.resize(guarded.memory.size(), 0xEE);
  EXPECT_EQ(guarded.memory, expected);
  EXPECT_EQ(std::string(m().OSType(guarded.block, 6).bytes()), "\x09\x08\x07\x06");
}

TEST_F(ByteRangeTest, OSTypeOfNilIsFourBlanks) {
  Ref<MemoryBlock> block = BlockOf(kTen);
  const pluginhost::PluginMethod* os_type = Registered("OSTypeQVX(offset as Integer) as String");
  ASSERT_NE(os_type, nullptr);
  ASSERT_NE(os_type->setter, nullptr);
  reinterpret_cast<void (*)(REALmemoryBlock, int32_t, REALstring)>(os_type->setter)(pluginhost::to_handle(block.get()),
                                                                                    2, nullptr);
  EXPECT_EQ(BytesOf(*block), (Bytes{0, 1, ' ', ' ', ' ', ' ', 6, 7, 8, 9}));
}

// ---- FSSpecQVX ----------------------------------------------------------------

TEST_F(ByteRangeTest, FSSpecHoldsAFolderItemsRecord) {
  Ref<MemoryBlock> block = BlockOf(Bytes(80, 0xAA));
  auto item = framework::make<FolderItem>(std::filesystem::path("/tmp/some folder/firmware.hex"));
  m().FSSpec.assign(block, 10, item);
  EXPECT_EQ(BytesOf(*block)[9], 0xAA);
  EXPECT_NE(BytesOf(*block)[10], 0xAA) << "the host filled the record";
  Ref<FolderItem> back = m().FSSpec(block, 10);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->path(), item->path());
}

TEST_F(ByteRangeTest, FSSpecNeedsSeventyBytesInsideTheBlock) {
  EXPECT_FALSE(m().FSSpec(BlockOf(kTen), 0));
  Guarded guarded(Bytes(80, 0xAA));
  m().FSSpec.assign(guarded.block, 11, framework::make<FolderItem>(std::filesystem::path("/tmp/x")));
  m().FSSpec.assign(guarded.block, -1, framework::make<FolderItem>(std::filesystem::path("/tmp/x")));
  EXPECT_EQ(guarded.memory, [] {
    Bytes b(80, 0xAA);
    b.resize(96, 0xEE);
    return b;
  }());
  EXPECT_FALSE(m().FSSpec(guarded.block, 11));
  EXPECT_FALSE(m().FSSpec(guarded.block, -1));
}

TEST_F(ByteRangeTest, FSSpecOfNilItemLeavesTheBlock) {
  Ref<MemoryBlock> block = BlockOf(Bytes(70, 0xAA));
  m().FSSpec.assign(block, 0, Ref<FolderItem>());
  EXPECT_EQ(BytesOf(*block), Bytes(70, 0xAA));
  EXPECT_FALSE(m().FSSpec(block, 0)) << "no record of the host's there";
}

}  // namespace
