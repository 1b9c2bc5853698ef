// MirrorBitsInBytesQVX, MirrorBytesQVX, MirrorBitsQVX, CopyNthBytesQVX,
// CopyNthBitsQVX, InvertBytesQVX and ExpandBitsQVX through bound entries.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "bound_members.h"
#include "test_blocks.h"

namespace {

using namespace memtest;
using Block = Ref<MemoryBlock>;

struct TransformMembers {
  pluginhost::Binder binder;
  template <typename Sig>
  pluginhost::Method<Sig> Bind(const char* declaration) {
    return binder.method<Sig>("MemoryBlock", declaration);
  }
  using Range = void(Block, int32_t, int32_t);
  using Gather = bool(Block, Block, int32_t, int32_t, int32_t, int32_t, int32_t);

  pluginhost::Method<Range> MirrorBitsInBytes =
      Bind<Range>("MirrorBitsInBytesQVX(offsetByte as Integer, lengthByte as integer)");
  pluginhost::Method<Range> MirrorBytes =
      Bind<Range>("MirrorBytesQVX(offsetByte as Integer = 0, lengthByte as integer = -1)");
  pluginhost::Method<Range> MirrorBits = Bind<Range>("MirrorBitsQVX(offsetBit as Integer, lengthBit as integer)");
  pluginhost::Method<Range> InvertBytes = Bind<Range>("InvertBytesQVX(offset as integer, count as integer)");
  pluginhost::Method<Gather> CopyNthBytes = Bind<Gather>(
      "CopyNthBytesQVX(source as memoryblock, SourceOffsetBytes as integer, DestinationOffsetBytes as integer, "
      "ByteCount as integer, StepCount as integer, NumberOfSteps as integer) as boolean");
  pluginhost::Method<Gather> CopyNthBits = Bind<Gather>(
      "CopyNthBitsQVX(source as memoryblock, SourceOffsetBits as integer, DestinationOffsetBits as integer, "
      "BitCount as integer, StepCount as integer, NumberOfSteps as integer) as boolean");
  pluginhost::Method<bool(Block, Block, int32_t, int32_t, int32_t)> ExpandBits =
      Bind<bool(Block, Block, int32_t, int32_t, int32_t)>(
          "ExpandBitsQVX(dest as memoryblock, SourceByteCount as integer, LowValue as integer = 0, "
          "HighValue as integer = 255) as boolean");

  std::vector<std::string> unresolved = binder.bind();
};

using TransformTest = BoundTest<TransformMembers>;
using M = TransformMembers;

// ---- In place ------------------------------------------------------------------

struct InPlaceCase {
  friend void PrintTo(const InPlaceCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  Bytes before;
  std::function<void(M&, Block)> call;
  Bytes after;
};

class TransformInPlaceTest : public TransformTest, public ::testing::WithParamInterface<InPlaceCase> {};

TEST_P(TransformInPlaceTest, ChangesOnlyTheBlock) {
  Guarded guarded(GetParam().before);
  GetParam().call(m(), guarded.block);
  Bytes expected = GetParam().after;
  expected.resize(guarded.memory.size(), 0xEE);
  EXPECT_EQ(guarded.memory, expected);
}

Bytes Reversed(Bytes bytes) { return Bytes(bytes.rbegin(), bytes.rend()); }
Bytes Inverted(Bytes bytes, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) bytes[i] = static_cast<unsigned char>(~bytes[i]);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransformInPlaceTest,
    ::testing::Values(
        InPlaceCase{"BitsInBytes", {0x01, 0x80, 0xF0}, [](M& m, Block b) { m.MirrorBitsInBytes(b, 0, 3); },
                    {0x80, 0x01, 0x0F}},
        InPlaceCase{"BitsInBytesOfTheTable", {0x03, 0x12, 0xA0}, [](M& m, Block b) { m.MirrorBitsInBytes(b, 0, 3); },
                    {0xC0, 0x48, 0x05}},
        InPlaceCase{"BitsInBytesOfNothing", {0x01, 0x80}, [](M& m, Block b) {
                      m.MirrorBitsInBytes(b, 0, 0);
                      m.MirrorBitsInBytes(b, 0, -1);
                    }, {0x01, 0x80}},
        InPlaceCase{"BitsInBytesCutAtTheEnd", {0x01, 0x02}, [](M& m, Block b) { m.MirrorBitsInBytes(b, 1, 8); },
                    {0x01, 0x40}},
        InPlaceCase{"BitsInBytesFromNegative", {0x01, 0x02}, [](M& m, Block b) { m.MirrorBitsInBytes(b, -1, 2); },
                    {0x01, 0x02}},
        InPlaceCase{"BytesOddLength", {1, 2, 3, 4, 5}, [](M& m, Block b) { m.MirrorBytes(b, 0, -1); }, {5, 4, 3, 2, 1}},
        InPlaceCase{"BytesOneWord", {1, 2, 3, 4}, [](M& m, Block b) { m.MirrorBytes(b, 0, -1); }, {4, 3, 2, 1}},
        InPlaceCase{"BytesThreeWords", Iota(12), [](M& m, Block b) { m.MirrorBytes(b, 0, -1); }, Reversed(Iota(12))},
        InPlaceCase{"BytesTwoWords", Iota(8), [](M& m, Block b) { m.MirrorBytes(b, 0, -1); }, Reversed(Iota(8))},
        InPlaceCase{"BytesOfARange", Iota(6), [](M& m, Block b) { m.MirrorBytes(b, 1, 3); }, {0, 3, 2, 1, 4, 5}},
        InPlaceCase{"BytesOfOne", {1, 2, 3}, [](M& m, Block b) { m.MirrorBytes(b, 0, 1); }, {1, 2, 3}},
        InPlaceCase{"BytesWholeBlockFromAnOffset", Iota(5), [](M& m, Block b) { m.MirrorBytes(b, 1, -1); },
                    {0, 4, 3, 2, 1}},
        InPlaceCase{"BytesFromNegative", Iota(5), [](M& m, Block b) { m.MirrorBytes(b, -2, 4); }, Iota(5)},
        InPlaceCase{"BitsInOneByte", {0x10}, [](M& m, Block b) { m.MirrorBits(b, 3, 4); }, {0x02}},
        InPlaceCase{"BitsAcrossBytes", {0x0F, 0x00}, [](M& m, Block b) { m.MirrorBits(b, 4, 8); }, {0x00, 0xF0}},
        InPlaceCase{"BitsOfOne", {0x0F}, [](M& m, Block b) { m.MirrorBits(b, 2, 1); }, {0x0F}},
        InPlaceCase{"BitsCutAtTheEnd", {0x00, 0x03}, [](M& m, Block b) { m.MirrorBits(b, 8, 100); }, {0x00, 0xC0}},
        InPlaceCase{"BitsFromNegative", {0x0F}, [](M& m, Block b) { m.MirrorBits(b, -4, 8); }, {0x0F}},
        InPlaceCase{"Invert", {0x00, 0x0F, 0xF0, 0x55}, [](M& m, Block b) { m.InvertBytes(b, 1, 2); },
                    {0x00, 0xF0, 0x0F, 0x55}},
        InPlaceCase{"InvertWordsAndTail", Iota(21), [](M& m, Block b) { m.InvertBytes(b, 1, 19); },
                    Inverted(Iota(21), 1, 20)},
        InPlaceCase{"InvertCutAtTheEnd", Iota(9), [](M& m, Block b) { m.InvertBytes(b, 3, 100); },
                    Inverted(Iota(9), 3, 9)},
        InPlaceCase{"InvertNothing", Iota(4), [](M& m, Block b) {
                      m.InvertBytes(b, 0, 0);
                      m.InvertBytes(b, -1, 2);
                      m.InvertBytes(b, 4, 2);
                    }, Iota(4)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransformTest, InPlaceTransformsOfABlockOfUnknownSizeTakeTheRangeAsNamed) {
  Unsized unsized({0x01, 0x02, 0x03, 0x04});
  m().MirrorBitsInBytes(unsized.block, 0, 2);
  m().InvertBytes(unsized.block, 2, 2);
  m().MirrorBits(unsized.block, 0, 16);
  EXPECT_EQ(unsized.memory, (Bytes{0x02, 0x01, 0xFC, 0xFB}));
  m().MirrorBytes(unsized.block, 0, -1);
  EXPECT_EQ(unsized.memory, (Bytes{0x02, 0x01, 0xFC, 0xFB})) << "the whole of an unknown size is nothing";
}

struct NilCase {
  friend void PrintTo(const NilCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::function<void(M&)> call;
};

class TransformNilTest : public TransformTest, public ::testing::WithParamInterface<NilCase> {};

TEST_P(TransformNilTest, NilBlockRaisesNilObjectException) {
  ExpectRaises<framework::NilObjectException>([&] { GetParam().call(m()); }, "memoryblock is nil");
}

INSTANTIATE_TEST_SUITE_P(
    Members, TransformNilTest,
    ::testing::Values(
        NilCase{"MirrorBitsInBytes", [](M& m) { m.MirrorBitsInBytes(nullptr, 0, 1); }},
        NilCase{"MirrorBytes", [](M& m) { m.MirrorBytes(nullptr, 0, -1); }},
        NilCase{"MirrorBits", [](M& m) { m.MirrorBits(nullptr, 0, 2); }},
        NilCase{"InvertBytes", [](M& m) { m.InvertBytes(nullptr, 0, 1); }},
        NilCase{"CopyNthBytesFromNil",
                [](M& m) { EXPECT_FALSE(m.CopyNthBytes(nullptr, BlockOf({1}), 0, 0, 1, 1, 1)); }},
        NilCase{"CopyNthBytesToNil", [](M& m) { EXPECT_FALSE(m.CopyNthBytes(BlockOf({1}), nullptr, 0, 0, 1, 1, 1)); }},
        NilCase{"CopyNthBitsFromNil", [](M& m) { EXPECT_FALSE(m.CopyNthBits(nullptr, BlockOf({1}), 0, 0, 1, 1, 1)); }},
        NilCase{"CopyNthBitsToNil", [](M& m) { EXPECT_FALSE(m.CopyNthBits(BlockOf({1}), nullptr, 0, 0, 1, 1, 0)); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- CopyNthBytesQVX, CopyNthBitsQVX ------------------------------------------

struct GatherCase {
  friend void PrintTo(const GatherCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  bool bits;  // CopyNthBitsQVX, else CopyNthBytesQVX
  Bytes source;
  int32_t sourceOffset, destinationOffset, count, step, steps;
  Bytes before, after;  // the destination block
  bool result;
};

class GatherTest : public TransformTest, public ::testing::WithParamInterface<GatherCase> {};

TEST_P(GatherTest, WritesThePackedRunInsideTheDestination) {
  const GatherCase& c = GetParam();
  Guarded dest(c.before);
  Block source = BlockOf(c.source);
  auto& gather = c.bits ? m().CopyNthBits : m().CopyNthBytes;
  EXPECT_EQ(gather(dest.block, source, c.sourceOffset, c.destinationOffset, c.count, c.step, c.steps), c.result);
  Bytes expected = c.after;
  expected.resize(dest.memory.size(), 0xEE);
  EXPECT_EQ(dest.memory, expected);
  EXPECT_EQ(BytesOf(*source), c.source);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GatherTest,
    ::testing::Values(
        GatherCase{"OneByteOfFour", false, Iota(12), 1, 0, 1, 4, 3, Bytes(4, 0xAA), {1, 5, 9, 0xAA}, true},
        GatherCase{
            "OverlappingGroups", false, Iota(6), 0, 1, 3, 1, 2, Bytes(8, 0xAA), {0xAA, 0, 1, 2, 1, 2, 3, 0xAA}, true},
        GatherCase{"NegativeStep", false, Iota(6), 4, 0, 2, -2, 3, Bytes(6, 0xAA), {4, 5, 2, 3, 0, 1}, true},
        GatherCase{"NoSteps", false, Iota(4), 0, 0, 1, 1, 0, Bytes(2, 0xAA), Bytes(2, 0xAA), true},
        GatherCase{"EmptyGroups", false, Iota(4), 0, 0, 0, 1, 3, Bytes(2, 0xAA), Bytes(2, 0xAA), true},
        GatherCase{"NegativeGroups", false, Iota(4), 0, 0, -1, 1, 3, Bytes(2, 0xAA), Bytes(2, 0xAA), false},
        GatherCase{"SourcePastItsEnd", false, Iota(8), 1, 0, 1, 4, 3, Bytes(4, 0xAA), Bytes(4, 0xAA), false},
        GatherCase{"StepBelowTheSource", false, Iota(8), 2, 0, 1, -2, 3, Bytes(4, 0xAA), Bytes(4, 0xAA), false},
        GatherCase{"DestinationPastItsEnd", false, Iota(12), 1, 2, 1, 4, 3, Bytes(4, 0xAA), Bytes(4, 0xAA), false},
        GatherCase{"NegativeDestination", false, Iota(12), 1, -1, 1, 4, 3, Bytes(4, 0xAA), Bytes(4, 0xAA), false},
        GatherCase{"EveryOtherBit", true, {0xAA, 0x55}, 0, 0, 1, 1, 8, {0x00}, {0xF0}, true},
        GatherCase{"BitsIntoAByte", true, {0xE0}, 0, 2, 3, 0, 1, {0xFF}, {0x38}, true},
        GatherCase{"BitsAcrossBytes", true, {0x0F, 0xF0}, 4, 4, 8, 0, 1, {0xFF, 0xFF}, {0x0F, 0xF0}, true},
        GatherCase{"NoBitsClearTheByteOfTheOffset", true, {0xFF}, 0, 4, 1, 0, 0, {0xFF}, {0x00}, true},
        GatherCase{"NoBitsFromAByteStart", true, {0xFF}, 0, 8, 1, 0, 0, {0xFF, 0xFF}, {0xFF, 0xFF}, true},
        GatherCase{"BitsFromPastTheSource", true, {0xFF}, 4, 0, 8, 0, 1, {0xAA}, {0xAA}, false},
        GatherCase{"BitsPastTheDestination", true, {0xFF, 0xFF}, 0, 4, 8, 0, 1, {0xAA}, {0xAA}, false},
        GatherCase{"NoBitsPastTheDestination", true, {0xFF}, 0, 12, 1, 0, 0, {0xAA}, {0xAA}, false},
        GatherCase{"BitsFromNegative", true, {0xFF}, -1, 0, 1, 0, 1, {0xAA}, {0xAA}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- ExpandBitsQVX --------------------------------------------------------------

TEST_F(TransformTest, ExpandBitsWritesWholeGroupsOfThirtyTwoBytes) {
  Block source = BlockOf({0xA0, 0x00, 0x00, 0x00});
  Guarded dest(Bytes(32, 0xAA));
  EXPECT_TRUE(m().ExpandBits(source, dest.block, 1, 0, 255));
  Bytes expected = {255, 0, 255, 0, 0, 0, 0, 0};
  expected.resize(32, 0);
  expected.resize(dest.memory.size(), 0xEE);
  EXPECT_EQ(dest.memory, expected);
}

TEST_F(TransformTest, ExpandBitsWritesTheLowEightBitsOfEachValue) {
  Block source = BlockOf({0x81, 0x7E, 0xFF, 0x00, 0x01, 0x00, 0x00, 0x00});
  Block dest = BlockOf(Bytes(64, 0xAA));
  EXPECT_TRUE(m().ExpandBits(source, dest, 5, 0x110, -1));
  Bytes expected;
  for (unsigned char byte : BytesOf(*source)) {
    for (int k = 0; k < 8; ++k) expected.push_back(((byte >> (7 - k)) & 1) != 0 ? 0xFF : 0x10);
  }
  EXPECT_EQ(BytesOf(*dest), expected);
}

struct RefusedExpandCase {
  friend void PrintTo(const RefusedExpandCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  size_t source_size, dest_size;
  int32_t count;
  bool nil_dest;
};

class ExpandRefusedTest : public TransformTest, public ::testing::WithParamInterface<RefusedExpandCase> {};

TEST_P(ExpandRefusedTest, IsFalseAndWritesNothing) {
  const RefusedExpandCase& c = GetParam();
  Block source = BlockOf(Bytes(c.source_size, 0xFF));
  Guarded dest(Bytes(c.dest_size, 0xAA));
  EXPECT_FALSE(m().ExpandBits(source, c.nil_dest ? Block() : dest.block, c.count, 0, 255));
  Bytes expected(c.dest_size, 0xAA);
  expected.resize(dest.memory.size(), 0xEE);
  EXPECT_EQ(dest.memory, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExpandRefusedTest,
                         ::testing::Values(RefusedExpandCase{"NoSourceBytes", 4, 32, 0, false},
                                           RefusedExpandCase{"NegativeCount", 4, 32, -4, false},
                                           RefusedExpandCase{"NilDestination", 4, 32, 1, true},
                                           RefusedExpandCase{"GroupPastTheSource", 5, 64, 5, false},
                                           RefusedExpandCase{"GroupPastTheDestination", 4, 31, 1, false},
                                           RefusedExpandCase{"LargestCount", 4, 32, INT32_MAX, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransformTest, ExpandBitsOfANilBlockIsFalseWithoutAnException) {
  EXPECT_FALSE(m().ExpandBits(nullptr, BlockOf(Bytes(32)), 1, 0, 255));
}

}  // namespace
