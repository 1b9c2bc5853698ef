// _Calc3te, _Calc2te, _CalcLogSweepTableQVX, the float-pair conversions,
// MultiplyUInt8QVX, MultiplyUInt16QVX, MinQVX and MaxQVX through bound entries.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "bound_members.h"
#include "test_blocks.h"

namespace {

using namespace memtest;
using Block = Ref<MemoryBlock>;

struct NumericMembers {
  pluginhost::Binder binder;
  template <typename Sig>
  pluginhost::Method<Sig> Bind(const char* declaration) {
    return binder.method<Sig>("MemoryBlock", declaration);
  }
  using Pick = bool(Block, void*, void*, int32_t, bool, int32_t, int32_t);

  pluginhost::Method<void(Block, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, double,
                          int32_t, int32_t)>
      Calc3te = Bind<void(Block, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, double,
                          int32_t, int32_t)>(
          "_Calc3te(Source1 as Integer, Source2 as Integer, Source3 as Integer, Source4 as Integer, Dest1 as Integer, "
          "Dest2 as Integer, Dest3 as Integer, Dest4 as Integer, Tolerance as double, offsetByte as Integer = 0, "
          "Length as integer = 0)");
  pluginhost::Method<void(Block, int32_t, int32_t, int32_t, bool)> Calc2te =
      Bind<void(Block, int32_t, int32_t, int32_t, bool)>(
          "_Calc2te(iByteMax as integer = 255, offsetByte as Integer = 0, Length as integer = 0, WithSum0 as boolean = "
          "true)");
  pluginhost::Method<void(Block, int32_t, int32_t, int32_t, int32_t, double)> LogSweep =
      Bind<void(Block, int32_t, int32_t, int32_t, int32_t, double)>(
          "_CalcLogSweepTableQVX(offsetByte as Integer, Z as integer, lw1 as integer, lw2 as integer, T as double)");
  pluginhost::Method<void(Block, int32_t, int32_t, Block)> ToCartesian = Bind<void(Block, int32_t, int32_t, Block)>(
      "_ConvertPolarToCartesian(offsetByte as Integer, Z as integer, polarData as Memoryblock)");
  pluginhost::Method<void(Block, int32_t, int32_t, Block)> ToPolar = Bind<void(Block, int32_t, int32_t, Block)>(
      "_ConvertCartesianToPolar(offsetByte as Integer, Z as integer, CartesianData as Memoryblock)");
  pluginhost::Method<void(Block, double, int32_t, int32_t)> Multiply16 = Bind<void(Block, double, int32_t, int32_t)>(
      "MultiplyUInt16QVX(Factor as double, offsetByte as Integer = 0, lengthBytes as integer = 0)");
  pluginhost::Method<void(Block, double, int32_t, int32_t)> Multiply8 = Bind<void(Block, double, int32_t, int32_t)>(
      "MultiplyUInt8QVX(Factor as double, offsetByte as Integer = 0, lengthBytes as integer = 0)");
  pluginhost::Method<Pick> Min = Bind<Pick>(
      "MinQVX(firstMem as Ptr, secondMem as Ptr, BitSize as integer = 8, Signed as Boolean = false, "
      "offsetByte as Integer = 0, lengthBytes as integer = 0) as boolean");
  pluginhost::Method<Pick> Max = Bind<Pick>(
      "MaxQVX(firstMem as Ptr, secondMem as Ptr, BitSize as integer = 8, Signed as Boolean = false, "
      "offsetByte as Integer = 0, lengthBytes as integer = 0) as boolean");

  std::vector<std::string> unresolved = binder.bind();
};

using NumericTest = BoundTest<NumericMembers>;
using M = NumericMembers;

// ---- Range members: in place ------------------------------------------------------

struct RangeCase {
  friend void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  Bytes before;
  std::function<void(M&, Block)> call;
  Bytes after;
};

class NumericRangeTest : public NumericTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(NumericRangeTest, ChangesOnlyTheBlockAndReleasesIt) {
  Guarded guarded(GetParam().before);
  const int32_t refs = guarded.block->reference_count();
  GetParam().call(m(), guarded.block);
  Bytes expected = GetParam().after;
  expected.resize(guarded.memory.size(), 0xEE);
  EXPECT_EQ(guarded.memory, expected);
  EXPECT_EQ(guarded.block->reference_count(), refs) << "the reference held for the call is given back";
}

Bytes U16(std::initializer_list<uint16_t> values) {
  Bytes bytes(values.size() * 2);
  std::memcpy(bytes.data(), values.begin(), bytes.size());
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumericRangeTest,
    ::testing::Values(
        RangeCase{"Calc3teWithinTolerance",
                  {100, 50, 20, 0, 111, 50, 20, 0, 89, 50, 20, 1},
                  [](M& m, Block b) { m.Calc3te(b, 100, 50, 20, 0, 1, 2, 3, 4, 0.1, 0, 0); },
                  {1, 2, 3, 4, 111, 50, 20, 0, 89, 50, 20, 1}},
        // Bounds that are not whole numbers are truncated: 10 x 0.86 = 8.6 gives 8,
        // 10 x 1.16 = 11.6 gives 11 (rounding would give 9 and 12).
        RangeCase{"Calc3teLowerBoundTruncated",
                  {8, 20, 30, 40, 7, 20, 30, 40},
                  [](M& m, Block b) { m.Calc3te(b, 10, 20, 30, 40, 1, 2, 3, 4, 0.14, 0, 0); },
                  {1, 2, 3, 4, 7, 20, 30, 40}},
        RangeCase{"Calc3teUpperBoundTruncated",
                  {11, 20, 30, 40, 12, 20, 30, 40},
                  [](M& m, Block b) { m.Calc3te(b, 10, 20, 30, 40, 1, 2, 3, 4, 0.16, 0, 0); },
                  {1, 2, 3, 4, 12, 20, 30, 40}},
        RangeCase{"Calc3teExactOnly",
                  {10, 20, 30, 40, 11, 20, 30, 40},
                  [](M& m, Block b) { m.Calc3te(b, 10, 20, 30, 40, 0x101, -1, 0, 7, 0.0, 0, 0); },
                  {1, 0xFF, 0, 7, 11, 20, 30, 40}},
        RangeCase{"Calc3teFromAnOffsetForALength",
                  {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5},
                  [](M& m, Block b) { m.Calc3te(b, 5, 5, 5, 5, 0, 0, 0, 0, 0.0, 2, 3); },
                  {5, 5, 0, 0, 0, 0, 5, 5, 5, 5, 5, 5}},
        RangeCase{"Calc3teNoGroupPastTheBlock",
                  Bytes(10, 5),
                  [](M& m, Block b) { m.Calc3te(b, 5, 5, 5, 5, 0, 0, 0, 0, 0.0, 0, 0); },
                  {0, 0, 0, 0, 0, 0, 0, 0, 5, 5}},
        RangeCase{"Calc2te",
                  {10, 20, 30, 9, 100, 100, 100, 9, 0, 0, 0, 9, 0, 0, 1, 9},
                  [](M& m, Block b) { m.Calc2te(b, 255, 0, 0, true); },
                  {10, 20, 30, 195, 100, 100, 100, 0, 0, 0, 0, 0, 0, 0, 1, 254}},
        RangeCase{"Calc2teSaturatesAndSumZero",
                  {0, 0, 0, 9, 1, 0, 0, 9},
                  [](M& m, Block b) { m.Calc2te(b, 1000, 0, 0, false); },
                  {0, 0, 0, 255, 1, 0, 0, 255}},
        RangeCase{
            "Multiply8Saturates", {0, 1, 100, 200}, [](M& m, Block b) { m.Multiply8(b, 2.0, 0, 0); }, {0, 2, 200, 255}},
        RangeCase{
            "Multiply8Truncates", {0, 1, 3, 255}, [](M& m, Block b) { m.Multiply8(b, 0.5, 1, 0); }, {0, 0, 1, 127}},
        RangeCase{"Multiply8HugeFactor", {0, 1, 9}, [](M& m, Block b) { m.Multiply8(b, 1e300, 0, 2); }, {0, 255, 9}},
        RangeCase{
            "Multiply8NegativeFactorIsZero", {0, 1, 9}, [](M& m, Block b) { m.Multiply8(b, -3.0, 0, 0); }, {0, 0, 0}},
        RangeCase{"Multiply8NotANumberIsZero",
                  {7, 9},
                  [](M& m, Block b) { m.Multiply8(b, std::numeric_limits<double>::quiet_NaN(), 0, 0); },
                  {0, 0}},
        RangeCase{"Multiply8CutAtTheEnd", {1, 2, 3}, [](M& m, Block b) { m.Multiply8(b, 3.0, 1, 100); }, {1, 6, 9}},
        RangeCase{"Multiply16",
                  [] {
                    Bytes b = U16({1000, 40000, 3});
                    b.push_back(7);
                    return b;
                  }(),
                  [](M& m, Block b) { m.Multiply16(b, 2.5, 0, 0); },
                  [] {
                    Bytes b = U16({2500, 65535, 7});
                    b.push_back(7);
                    return b;
                  }()},
        RangeCase{"Multiply16ShortRange", U16({9}), [](M& m, Block b) { m.Multiply16(b, 2.0, 1, 0); }, U16({9})}),
    [](const auto& info) { return std::string(info.param.name); });

struct StartCase {
  friend void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::function<void(M&, Block)> call;
};

class NumericStartTest : public NumericTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(NumericStartTest, NilBlockAndNegativeOffsetRaise) {
  ExpectRaises<framework::NilObjectException>([&] { GetParam().call(m(), nullptr); }, "memoryblock is nil");
  Block block = BlockOf(Iota(8));
  ExpectRaises<framework::UnsupportedOperationException>([&] { GetParam().call(m(), block); }, "offset < 0");
  EXPECT_EQ(BytesOf(*block), Iota(8));
}

unsigned char kAny[8];
INSTANTIATE_TEST_SUITE_P(
    Members, NumericStartTest,
    ::testing::Values(StartCase{"Calc3te", [](M& m, Block b) { m.Calc3te(b, 0, 0, 0, 0, 1, 1, 1, 1, 0.0, -1, 0); }},
                      StartCase{"Calc2te", [](M& m, Block b) { m.Calc2te(b, 255, -1, 0, true); }},
                      StartCase{"Multiply8", [](M& m, Block b) { m.Multiply8(b, 2.0, -1, 0); }},
                      StartCase{"Multiply16", [](M& m, Block b) { m.Multiply16(b, 2.0, -1, 0); }},
                      StartCase{"Min", [](M& m, Block b) { EXPECT_FALSE(m.Min(b, kAny, kAny, 8, false, -1, 0)); }},
                      StartCase{"Max", [](M& m, Block b) { EXPECT_FALSE(m.Max(b, kAny, kAny, 8, false, -1, 0)); }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- MinQVX, MaxQVX ----------------------------------------------------------------

struct PickCase {
  friend void PrintTo(const PickCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  int32_t bits;
  bool is_signed;
  int64_t a, b;  // one element each, of the width
  int64_t smaller, larger;
};

class MinMaxTest : public NumericTest, public ::testing::WithParamInterface<PickCase> {};

TEST_P(MinMaxTest, TakesTheElementwiseSmallerAndLarger) {
  const PickCase& c = GetParam();
  const size_t width = static_cast<size_t>(c.bits / 8);
  Bytes first(16, 0), second(16, 0);
  std::memcpy(first.data(), &c.a, width);
  std::memcpy(second.data(), &c.b, width);
  Guarded dest(Bytes(2 * width - 1, 0xAA));  // a last partial element stays
  ASSERT_TRUE(m().Min(dest.block, first.data(), second.data(), c.bits, c.is_signed, 0, 0));
  int64_t got = 0;
  std::memcpy(&got, dest.memory.data(), width);
  EXPECT_EQ(got, c.smaller);
  ASSERT_TRUE(m().Max(dest.block, first.data(), second.data(), c.bits, c.is_signed, 0, 0));
  got = 0;
  std::memcpy(&got, dest.memory.data(), width);
  EXPECT_EQ(got, c.larger);
  EXPECT_EQ(Bytes(dest.memory.begin() + width, dest.memory.begin() + 2 * width - 1), Bytes(width - 1, 0xAA));
  EXPECT_EQ(dest.memory[2 * width - 1], 0xEE);
}

INSTANTIATE_TEST_SUITE_P(Cases, MinMaxTest,
                         ::testing::Values(PickCase{"Unsigned8", 8, false, 0x80, 0x7F, 0x7F, 0x80},
                                           PickCase{"Signed8", 8, true, 0x80, 0x7F, 0x80, 0x7F},
                                           PickCase{"Unsigned16", 16, false, 0x8000, 0x0001, 0x0001, 0x8000},
                                           PickCase{"Signed16", 16, true, 0x8000, 0x0001, 0x8000, 0x0001},
                                           PickCase{"Unsigned32", 32, false, 0xFFFFFFFF, 5, 5, 0xFFFFFFFF},
                                           PickCase{"Signed32", 32, true, 0xFFFFFFFF, 5, 0xFFFFFFFF, 5},
                                           PickCase{"Unsigned64", 64, false, -1, 5, 5, -1},
                                           PickCase{"Signed64", 64, true, -1, 5, -1, 5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NumericTest, MinInPlaceReadsEachElementBeforeWritingIt) {
  Block block = BlockOf({5, 1, 9, 3});
  Bytes other = {2, 2, 2, 2};
  EXPECT_TRUE(m().Min(block, block->data(), other.data(), 8, false, 0, 0));
  EXPECT_EQ(BytesOf(*block), (Bytes{2, 1, 2, 2}));
}

// The elements go one at a time in increasing order, each read before its
// result is written: with the operand one element below the destination,
// every result is read again as the next operand.
TEST_F(NumericTest, MinAndMaxOverlappingTheirOperandTakeTheElementsInOrder) {
  Block block = BlockOf({1, 9, 9, 9, 9, 9, 9, 9, 9});
  Bytes other(8, 5);
  EXPECT_TRUE(m().Min(block, block->data(), other.data(), 8, false, 1, 8));
  EXPECT_EQ(BytesOf(*block), (Bytes{1, 1, 1, 1, 1, 1, 1, 1, 1}));

  Block words = BlockOf(U16({7, 2, 2, 2, 2}));
  Bytes low = U16({0, 0, 0, 0});
  EXPECT_TRUE(m().Max(words, words->data(), low.data(), 16, false, 2, 8));
  EXPECT_EQ(BytesOf(*words), U16({7, 7, 7, 7, 7}));

  // The operand above the destination: each element is read before it is overwritten.
  Block ahead = BlockOf({1, 2, 3, 4, 5});
  Bytes high(4, 0xFF);
  EXPECT_TRUE(m().Min(ahead, ahead->data() + 1, high.data(), 8, false, 0, 4));
  EXPECT_EQ(BytesOf(*ahead), (Bytes{2, 3, 4, 5, 5}));
}

TEST_F(NumericTest, MinOfAnotherWidthOrANilAddressIsFalse) {
  Block block = BlockOf(Iota(8));
  Bytes other(8, 0);
  const int32_t refs = block->reference_count();
  EXPECT_FALSE(m().Min(block, other.data(), other.data(), 12, false, 0, 0));
  EXPECT_EQ(block->reference_count(), refs);
  ExpectRaises<framework::NilObjectException>(
      [&] { EXPECT_FALSE(m().Max(block, nullptr, other.data(), 8, false, 0, 0)); }, "ptr is nil");
  EXPECT_EQ(BytesOf(*block), Iota(8));
  EXPECT_TRUE(m().Max(block, other.data(), other.data(), 64, false, 0, 7)) << "no whole element is still true";
}

// ---- Float pairs -------------------------------------------------------------------

Block Pairs(std::initializer_list<float> values) {
  Bytes bytes(values.size() * 4);
  std::memcpy(bytes.data(), values.begin(), bytes.size());
  return BlockOf(bytes);
}

float At(const Block& block, size_t index) {
  float value;
  std::memcpy(&value, block->data() + 4 * index, 4);
  return value;
}

TEST_F(NumericTest, PolarAndCartesianConvertPairByPair) {
  Block polar = Pairs({2.0f, static_cast<float>(M_PI / 2), 1.0f, 0.0f});
  Block cartesian = Pairs({9, 9, 9, 9});
  m().ToCartesian(cartesian, 0, 2, polar);
  EXPECT_NEAR(At(cartesian, 0), 0.0f, 1e-6);
  EXPECT_FLOAT_EQ(At(cartesian, 1), 2.0f);
  EXPECT_FLOAT_EQ(At(cartesian, 2), 1.0f);
  EXPECT_FLOAT_EQ(At(cartesian, 3), 0.0f);

  Block in_place = Pairs({3.0f, 4.0f, -1.0f, 0.0f});
  m().ToPolar(in_place, 0, 2, in_place);
  EXPECT_FLOAT_EQ(At(in_place, 0), 5.0f);
  EXPECT_FLOAT_EQ(At(in_place, 1), std::atan2(4.0f, 3.0f));
  EXPECT_FLOAT_EQ(At(in_place, 2), 1.0f);
  EXPECT_FLOAT_EQ(At(in_place, 3), static_cast<float>(M_PI));
}

TEST_F(NumericTest, ConversionsWriteOnlyPairsInsideBothBlocks) {
  Bytes room(16, 0);
  Guarded dest(room);
  m().ToPolar(dest.block, 8, 3, Pairs({3, 4, 3, 4, 3, 4}));  // one pair fits behind offset 8
  m().ToPolar(dest.block, 0, 3, Pairs({3, 4}));              // the source holds one pair
  m().ToPolar(dest.block, -8, 1, Pairs({3, 4}));
  float first;
  std::memcpy(&first, dest.memory.data(), 4);
  EXPECT_FLOAT_EQ(first, 5.0f);
  std::memcpy(&first, dest.memory.data() + 8, 4);
  EXPECT_FLOAT_EQ(first, 5.0f);
  EXPECT_EQ(Bytes(dest.memory.begin() + 16, dest.memory.end()), Bytes(16, 0xEE));

  Block untouched = Pairs({1, 2});
  m().ToCartesian(untouched, 0, 1, nullptr);
  EXPECT_FLOAT_EQ(At(untouched, 1), 2.0f) << "a nil argument block converts nothing";
  ExpectRaises<framework::NilObjectException>([&] { m().ToPolar(nullptr, 0, 1, untouched); }, "memoryblock is nil");
}

TEST_F(NumericTest, LogSweepTableHoldsTheSweepsSamples) {
  Guarded table(Bytes(4 * 8, 0xAA));
  m().LogSweep(table.block, 0, 8, 20, 20000, 48000.0);  // only four pairs fit
  auto number = [&](size_t i) {
    float value;
    std::memcpy(&value, table.memory.data() + 4 * i, 4);
    return value;
  };
  EXPECT_EQ(number(0), 0.0f);
  EXPECT_EQ(number(1), 0.0f);
  const double l = std::log(20000.0 / 20.0);
  const double k = 20 * 6.28318530718 / l;
  for (int i = 1; i < 4; ++i) {
    const double t = i / 48000.0;
    // In single precision where the sweep takes it: exp, e - 1, sin, x 0.944.
    const float a = std::exp(static_cast<float>(l * t)) - 1.0f;
    const float sine = std::sin(static_cast<float>(static_cast<double>(a) * k));
    EXPECT_FLOAT_EQ(number(2 * i), sine * 0.944f) << "pair " << i;
    EXPECT_FLOAT_EQ(number(2 * i + 1), static_cast<float>(t * 100.53096491488)) << "pair " << i;
  }
  // Known samples of this sweep, to the sixth decimal place.
  EXPECT_NEAR(number(2), 0.002471, 5e-7);
  EXPECT_NEAR(number(3), 0.002094, 5e-7);
  EXPECT_NEAR(number(6), 0.007415, 5e-7);
  EXPECT_NEAR(number(7), 0.006283, 5e-7);
  EXPECT_EQ(Bytes(table.memory.begin() + 32, table.memory.end()), Bytes(16, 0xEE));
  ExpectRaises<framework::NilObjectException>([&] { m().LogSweep(nullptr, 0, 1, 20, 200, 1.0); }, "memoryblock is nil");
}

}  // namespace
