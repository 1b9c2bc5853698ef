// FindBytesQVX, FindStringQVX, FindByteQVX, FindNotByteQVX, BytesEqualQVX,
// BytesZeroQVX, the copies and the byte-order swaps through bound entries.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "bound_members.h"
#include "test_blocks.h"

namespace {

using namespace memtest;
using framework::String;
using Block = Ref<MemoryBlock>;

struct SearchMembers {
  pluginhost::Binder binder;
  template <typename Sig>
  pluginhost::Method<Sig> Bind(const char* declaration) {
    return binder.method<Sig>("MemoryBlock", declaration);
  }

  pluginhost::Method<int32_t(Block, int32_t, int32_t, Block, int32_t, int32_t)> FindBytes =
      Bind<int32_t(Block, int32_t, int32_t, Block, int32_t, int32_t)>(
          "FindBytesQVX(srcOfs as Integer, maxBytes as Integer, target as MemoryBlock, targOfs as Integer, "
          "targLen as Integer) as Integer");
  pluginhost::Method<int32_t(Block, int32_t, int32_t, String)> FindString =
      Bind<int32_t(Block, int32_t, int32_t, String)>(
          "FindStringQVX(srcOfs as Integer, maxBytes as Integer, target as String) as Integer");
  pluginhost::Method<int32_t(Block, int32_t, int32_t, int32_t)> FindByte =
      Bind<int32_t(Block, int32_t, int32_t, int32_t)>(
          "FindByteQVX(srcOfs as Integer, numBytes as Integer, byteValue as integer) as integer");
  pluginhost::Method<int32_t(Block, int32_t, int32_t, int32_t)> FindNotByte =
      Bind<int32_t(Block, int32_t, int32_t, int32_t)>(
          "FindNotByteQVX(srcOfs as Integer, numBytes as Integer, byteValue as integer) as integer");
  pluginhost::Method<bool(Block, int32_t, int32_t, Block, int32_t)> BytesEqual = Bind<bool(Block, int32_t, int32_t,
                                                                                           Block, int32_t)>(
      "BytesEqualQVX(srcOfs as Integer, numBytes as Integer, destBlk as MemoryBlock, destOfs as Integer) as Boolean");
  pluginhost::Method<bool(Block, int32_t, int32_t)> BytesZero =
      Bind<bool(Block, int32_t, int32_t)>("BytesZeroQVX(srcOfs as Integer, numBytes as Integer) as Boolean");
  pluginhost::Method<void(Block, int32_t, int32_t, int32_t)> CopyWithin = Bind<void(Block, int32_t, int32_t, int32_t)>(
      "CopyBytesQVX(srcOfs as Integer, numBytes as Integer, destOfs as Integer)");
  pluginhost::Method<void(Block, int32_t, int32_t, Block, int32_t)> CopyTo =
      Bind<void(Block, int32_t, int32_t, Block, int32_t)>(
          "CopyBytesQVX(srcOfs as Integer, numBytes as Integer, destBlk as MemoryBlock, destOfs as Integer)");
  pluginhost::Method<void(Block, int32_t, int32_t, void*)> ToPtr = Bind<void(Block, int32_t, int32_t, void*)>(
      "CopyBytesToMacPtrQVX(srcOfs as Integer, numBytes as Integer, destPtr as Ptr)");
  pluginhost::Method<void(Block, void*, int32_t, int32_t)> FromPtr = Bind<void(Block, void*, int32_t, int32_t)>(
      "CopyBytesFromMacPtrQVX(srcPtr as Ptr, numBytes as Integer, destOfs as Integer)");
  pluginhost::Method<void(Block, int32_t, int32_t, int32_t)> ToHandle = Bind<void(Block, int32_t, int32_t, int32_t)>(
      "CopyBytesToMacHandleQVX(srcOfs as Integer, numBytes as Integer, destHandle as Integer)");
  pluginhost::Method<void(Block, int32_t, int32_t, int32_t)> FromHandle = Bind<void(Block, int32_t, int32_t, int32_t)>(
      "CopyBytesFromMacHandleQVX(srcHandle as Integer, numBytes as Integer, destOfs as Integer)");
  pluginhost::Method<void(Block, int32_t, int32_t)> Swap =
      Bind<void(Block, int32_t, int32_t)>("SwapBytesQVX(offset as Integer, numBytes as Integer)");
  pluginhost::Method<void(Block, int32_t, int32_t)> Swap16 =
      Bind<void(Block, int32_t, int32_t)>("SwapBytes16QVX(offset as Integer, numBytes as Integer)");
  pluginhost::Method<void(Block, int32_t, int32_t)> Swap32 =
      Bind<void(Block, int32_t, int32_t)>("SwapBytes32QVX(offset as Integer, numBytes as Integer)");

  std::vector<std::string> unresolved = binder.bind();
};

using SearchCopyTest = BoundTest<SearchMembers>;
using M = SearchMembers;
const Bytes kPattern = {1, 2, 3, 1, 2, 3, 1, 2, 3, 0};

// ---- FindBytesQVX ------------------------------------------------------------

struct FindBytesCase {
  friend void PrintTo(const FindBytesCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  int32_t srcOfs, maxBytes;
  Bytes target;
  int32_t targOfs, targLen;
  int32_t expected;
};

class FindBytesTest : public SearchCopyTest, public ::testing::WithParamInterface<FindBytesCase> {};

TEST_P(FindBytesTest, GivesThePositionFromTheBlocksStart) {
  const FindBytesCase& c = GetParam();
  EXPECT_EQ(m().FindBytes(BlockOf(kPattern), c.srcOfs, c.maxBytes, BlockOf(c.target), c.targOfs, c.targLen),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindBytesTest,
                         ::testing::Values(FindBytesCase{"FirstMatch", 1, 0, {2, 3}, 0, 0, 1},
                                           FindBytesCase{"FromALaterStart", 2, 0, {2, 3}, 0, 0, 4},
                                           FindBytesCase{"NoneLeft", 8, 0, {2, 3}, 0, 0, -1},
                                           FindBytesCase{"StartAtTheEnd", 10, 0, {2, 3}, 0, 0, -2},
                                           FindBytesCase{"NegativeStart", -1, 0, {2, 3}, 0, 0, -2},
                                           FindBytesCase{"NegativeRange", 0, -1, {2, 3}, 0, 0, -2},
                                           FindBytesCase{"PatternLongerThanTheRange", 0, 2, {2, 3, 1}, 0, 0, -1},
                                           FindBytesCase{"RangeEndsAtTheMatch", 0, 3, {3}, 0, 0, 2},
                                           FindBytesCase{"RangePastInt32", 5, INT32_MAX, {2, 3}, 0, 0, 7},
                                           FindBytesCase{"LastByte", 0, 0, {0}, 0, 0, 9},
                                           FindBytesCase{"PatternFromItsOffset", 0, 0, {9, 3, 1}, 1, 0, 2},
                                           FindBytesCase{"PatternOfAGivenLength", 0, 0, {3, 1, 9}, 0, 2, 2},
                                           FindBytesCase{"PatternOffsetAtItsEnd", 0, 0, {2, 3}, 2, 0, -2},
                                           FindBytesCase{"NegativePatternOffset", 0, 0, {2, 3}, -1, 2, -2},
                                           FindBytesCase{"PatternPastItsBlock", 0, 0, {2, 3}, 1, 5, -2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchCopyTest, FindStringSearchesForTheStoredBytes) {
  Block block = BlockOf(kPattern);
  EXPECT_EQ(m().FindString(block, 2, 0, String::from_bytes("\x02\x03", 0xFFFF)), 4);
  EXPECT_EQ(m().FindString(block, 0, 0, String::from_bytes(std::string("\x03\x00", 2), 0xFFFF)), 8);
  EXPECT_EQ(m().FindString(block, 0, 0, String("")), -2);
  const pluginhost::PluginMethod* find =
      Registered("FindStringQVX(srcOfs as Integer, maxBytes as Integer, target as String) as Integer");
  ASSERT_NE(find, nullptr);
  EXPECT_EQ(reinterpret_cast<int32_t (*)(REALmemoryBlock, int32_t, int32_t, REALstring)>(find->function)(
                pluginhost::to_handle(block.get()), 0, 0, nullptr),
            -2);
}

TEST_F(SearchCopyTest, PatternSearchesOfNilBlocksDescribeNoSearch) {
  EXPECT_EQ(m().FindBytes(nullptr, 0, 0, BlockOf({1}), 0, 0), -2);
  EXPECT_EQ(m().FindBytes(BlockOf(kPattern), 0, 0, nullptr, 0, 0), -2);
  EXPECT_EQ(m().FindString(nullptr, 0, 0, String("a")), -2);
}

TEST_F(SearchCopyTest, FindBytesInABlockOfUnknownSizeNeedsARange) {
  Unsized unsized(kPattern);
  EXPECT_EQ(m().FindBytes(unsized.block, 0, 0, BlockOf({2, 3}), 0, 0), -2);
  EXPECT_EQ(m().FindBytes(unsized.block, 2, 8, BlockOf({3, 0}), 0, 0), 8);
}

// ---- FindByteQVX, FindNotByteQVX ------------------------------------------

struct ScanCase {
  friend void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  bool equal;  // FindByteQVX, else FindNotByteQVX
  int32_t srcOfs, numBytes, byteValue;
  int32_t expected;
};

class ScanTest : public SearchCopyTest, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(ScanTest, GivesThePositionFromTheBlocksStart) {
  const ScanCase& c = GetParam();
  auto& scan = c.equal ? m().FindByte : m().FindNotByte;
  EXPECT_EQ(scan(BlockOf(kPattern), c.srcOfs, c.numBytes, c.byteValue), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanTest,
    ::testing::Values(ScanCase{"Find", true, 3, 6, 2, 4}, ScanCase{"FindNone", true, 0, 9, 0, -1},
                      ScanCase{"FindByLowEightBits", true, 0, 10, 256, 9},
                      ScanCase{"FindStopsAtTheBlocksEnd", true, 5, 100, 0, 9},
                      ScanCase{"FindPastTheEnd", true, 10, 4, 0, -1}, ScanCase{"FindFromNegative", true, -1, 3, 1, -1},
                      ScanCase{"FindInNothing", true, 0, 0, 1, -1}, ScanCase{"FindNot", false, 0, 10, 1, 1},
                      ScanCase{"FindNotNone", false, 9, 1, 0, -1}, ScanCase{"FindNotInNothing", false, 0, 0, 1, -1},
                      ScanCase{"FindNotInNegative", false, 0, -4, 1, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchCopyTest, ScansOfANilBlockFindNothing) {
  EXPECT_EQ(m().FindByte(nullptr, 0, 4, 0), -1);
  EXPECT_EQ(m().FindNotByte(nullptr, 0, 4, 0), -1);
}

// ---- BytesEqualQVX, BytesZeroQVX ----------------------------------------------

struct CompareCase {
  friend void PrintTo(const CompareCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::function<bool(M&, Block)> call;
  bool expected;
};

class CompareTest : public SearchCopyTest, public ::testing::WithParamInterface<CompareCase> {};

TEST_P(CompareTest, AnswersForTheBytesInsideTheBlocks) {
  EXPECT_EQ(GetParam().call(m(), BlockOf(kPattern)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareTest,
    ::testing::Values(
        CompareCase{"ZeroLastByte", [](M& m, Block b) { return m.BytesZero(b, 9, 1); }, true},
        CompareCase{"ZeroNot", [](M& m, Block b) { return m.BytesZero(b, 8, 2); }, false},
        CompareCase{"ZeroOfNothing", [](M& m, Block b) { return m.BytesZero(b, 5, 0); }, true},
        CompareCase{"ZeroPastTheEnd", [](M& m, Block b) { return m.BytesZero(b, 9, 2); }, false},
        CompareCase{"ZeroFromNegative", [](M& m, Block b) { return m.BytesZero(b, -1, 1); }, false},
        CompareCase{"ZeroOfNil", [](M& m, Block) { return m.BytesZero(nullptr, 0, 0); }, false},
        CompareCase{"EqualInOneBlock", [](M& m, Block b) { return m.BytesEqual(b, 0, 3, b, 3); }, true},
        CompareCase{"EqualNot", [](M& m, Block b) { return m.BytesEqual(b, 0, 3, b, 1); }, false},
        CompareCase{"EqualToAnotherBlock",
                    [](M& m, Block b) {
                      return m.BytesEqual(b, 7, 3, BlockOf({9, 2, 3, 0}), 1);
                    },
                    true},
        CompareCase{"EqualOfNothing", [](M& m, Block b) { return m.BytesEqual(b, 0, 0, b, 5); }, true},
        CompareCase{"EqualPastTheEnd", [](M& m, Block b) { return m.BytesEqual(b, 8, 3, b, 2); }, false},
        CompareCase{"EqualPastTheOthersEnd",
                    [](M& m, Block b) {
                      return m.BytesEqual(b, 0, 3, BlockOf({1, 2}), 0);
                    },
                    false},
        CompareCase{"EqualOfNegativeCount", [](M& m, Block b) { return m.BytesEqual(b, 0, -1, b, 0); }, false},
        CompareCase{"EqualFromNegative", [](M& m, Block b) { return m.BytesEqual(b, -3, 3, b, 0); }, false},
        CompareCase{"EqualToNil", [](M& m, Block b) { return m.BytesEqual(b, 0, 3, nullptr, 3); }, false},
        CompareCase{"EqualOfNil", [](M& m, Block b) { return m.BytesEqual(nullptr, 0, 0, b, 0); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- CopyBytesQVX and the swaps: in one block ---------------------------------

struct InPlaceCase {
  friend void PrintTo(const InPlaceCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::function<void(M&, Block)> call;
  Bytes expected;
};

class InPlaceTest : public SearchCopyTest, public ::testing::WithParamInterface<InPlaceCase> {};

TEST_P(InPlaceTest, ChangesOnlyTheBlock) {
  Guarded guarded(kPattern);
  GetParam().call(m(), guarded.block);
  Bytes expected = GetParam().expected;
  expected.resize(guarded.memory.size(), 0xEE);
  EXPECT_EQ(guarded.memory, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InPlaceTest,
    ::testing::Values(
        InPlaceCase{
            "CopyForwardOverlapping", [](M& m, Block b) { m.CopyWithin(b, 0, 4, 2); }, {1, 2, 1, 2, 3, 1, 1, 2, 3, 0}},
        InPlaceCase{
            "CopyBackwardOverlapping", [](M& m, Block b) { m.CopyWithin(b, 2, 4, 0); }, {3, 1, 2, 3, 2, 3, 1, 2, 3, 0}},
        InPlaceCase{"CopyToTheEnd", [](M& m, Block b) { m.CopyWithin(b, 0, 3, 7); }, {1, 2, 3, 1, 2, 3, 1, 1, 2, 3}},
        InPlaceCase{"CopyPastTheEnd", [](M& m, Block b) { m.CopyWithin(b, 0, 4, 7); }, kPattern},
        InPlaceCase{"CopyFromPastTheEnd", [](M& m, Block b) { m.CopyWithin(b, 8, 4, 0); }, kPattern},
        InPlaceCase{"CopyFromNegative", [](M& m, Block b) { m.CopyWithin(b, -1, 2, 0); }, kPattern},
        InPlaceCase{"CopyNegativeCount", [](M& m, Block b) { m.CopyWithin(b, 0, -1, 2); }, kPattern},
        InPlaceCase{"SwapReverses", [](M& m, Block b) { m.Swap(b, 0, 4); }, {1, 3, 2, 1, 2, 3, 1, 2, 3, 0}},
        InPlaceCase{"SwapCutAtTheEnd", [](M& m, Block b) { m.Swap(b, 7, 100); }, {1, 2, 3, 1, 2, 3, 1, 0, 3, 2}},
        InPlaceCase{"SwapOfOneByte", [](M& m, Block b) { m.Swap(b, 9, 5); }, kPattern},
        InPlaceCase{"SwapFromTheEnd", [](M& m, Block b) { m.Swap(b, 10, 2); }, kPattern},
        InPlaceCase{"SwapFromNegative", [](M& m, Block b) { m.Swap(b, -1, 4); }, kPattern},
        InPlaceCase{"Swap16LeavesAnOddByte", [](M& m, Block b) { m.Swap16(b, 0, 5); }, {2, 1, 1, 3, 2, 3, 1, 2, 3, 0}},
        InPlaceCase{"Swap16CutAtTheEnd", [](M& m, Block b) { m.Swap16(b, 7, 9); }, {1, 2, 3, 1, 2, 3, 1, 3, 2, 0}},
        InPlaceCase{
            "Swap32ReversesEachUnit", [](M& m, Block b) { m.Swap32(b, 0, 10); }, {1, 3, 2, 1, 2, 1, 3, 2, 3, 0}},
        InPlaceCase{"Swap32CutBelowOneUnit", [](M& m, Block b) { m.Swap32(b, 8, 4); }, kPattern}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchCopyTest, CopyToAnotherBlockMovesExactlyTheBytesOrNone) {
  Block source = BlockOf(kPattern);
  Guarded dest(Bytes(4, 0));
  m().CopyTo(source, 1, 3, dest.block, 1);
  EXPECT_EQ(Bytes(dest.memory.begin(), dest.memory.begin() + 5), (Bytes{0, 2, 3, 1, 0xEE}));
  m().CopyTo(source, 0, 3, dest.block, 2);  // would pass the destination's end
  m().CopyTo(source, 8, 3, dest.block, 0);  // would pass the source's end
  m().CopyTo(source, 0, 2, nullptr, 0);
  m().CopyTo(nullptr, 0, 2, dest.block, 0);
  EXPECT_EQ(Bytes(dest.memory.begin(), dest.memory.begin() + 5), (Bytes{0, 2, 3, 1, 0xEE}));
  EXPECT_EQ(BytesOf(*source), kPattern);
}

// ---- Copies to and from foreign memory ------------------------------------

TEST_F(SearchCopyTest, PtrCopiesMoveBytesToAndFromForeignMemory) {
  Block block = BlockOf(kPattern);
  Bytes foreign(6, 0xEE);
  m().ToPtr(block, 6, 4, foreign.data() + 1);
  EXPECT_EQ(foreign, (Bytes{0xEE, 1, 2, 3, 0, 0xEE}));
  m().FromPtr(block, foreign.data(), 3, 0);
  EXPECT_EQ(BytesOf(*block), (Bytes{0xEE, 1, 2, 1, 2, 3, 1, 2, 3, 0}));
}

TEST_F(SearchCopyTest, PtrCopiesStayInsideTheBlock) {
  Guarded guarded(kPattern);
  Bytes foreign(16, 0x55);
  m().ToPtr(guarded.block, 8, 4, foreign.data());
  m().FromPtr(guarded.block, foreign.data(), 4, 8);
  m().FromPtr(guarded.block, foreign.data(), 2, -1);
  m().ToPtr(guarded.block, 0, 4, nullptr);
  m().FromPtr(guarded.block, nullptr, 4, 0);
  EXPECT_EQ(foreign, Bytes(16, 0x55));
  Bytes expected = kPattern;
  expected.resize(guarded.memory.size(), 0xEE);
  EXPECT_EQ(guarded.memory, expected);
}

TEST_F(SearchCopyTest, PtrCopiesWithABlockOfUnknownSizeTakeTheRangeAsNamed) {
  Unsized unsized(Bytes(12, 0));
  Bytes foreign = Iota(12, 1);
  m().FromPtr(unsized.block, foreign.data(), 12, 0);
  EXPECT_EQ(unsized.memory, foreign);
}

// A handle in memory below 2 GiB: its master pointer at byte 0, the memory it
// leads to at byte 64.
class HandleCopyTest : public SearchCopyTest {
 protected:
  void SetUp() override {
    SearchCopyTest::SetUp();
    if (low.bytes() == nullptr) GTEST_SKIP() << "no memory below 2 GiB to be had on this machine";
    unsigned char* target = low.bytes() + 64;
    std::memcpy(low.bytes(), &target, sizeof target);
    std::memset(target, 0xEE, 8);
  }
  Bytes HandleBytes() const { return Bytes(low.bytes() + 64, low.bytes() + 72); }

  LowMemory low;
};

TEST_F(HandleCopyTest, CopiesGoToAndFromWhatTheMasterPointerLeadsTo) {
  Block block = BlockOf(kPattern);
  m().ToHandle(block, 7, 3, low.address());
  EXPECT_EQ(HandleBytes(), (Bytes{2, 3, 0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
  m().FromHandle(block, low.address(), 4, 0);
  EXPECT_EQ(BytesOf(*block), (Bytes{2, 3, 0, 0xEE, 2, 3, 1, 2, 3, 0}));
}

TEST_F(HandleCopyTest, ANilHandleOrMasterPointerOrARangeOutsideCopiesNothing) {
  Block block = BlockOf(kPattern);
  m().ToHandle(block, 0, 4, 0);
  m().FromHandle(block, 0, 4, 0);
  m().ToHandle(block, 8, 4, low.address());
  m().FromHandle(block, low.address(), 4, 8);
  std::memset(low.bytes(), 0, sizeof(void*));
  m().ToHandle(block, 0, 4, low.address());
  m().FromHandle(block, low.address(), 4, 0);
  EXPECT_EQ(BytesOf(*block), kPattern);
  EXPECT_EQ(HandleBytes(), Bytes(8, 0xEE));
}

}  // namespace
