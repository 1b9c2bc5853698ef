#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QVXMemory.h"
#include "fake_host.h"

namespace {

using memtest::FakeHost;
using Bytes = std::vector<unsigned char>;

constexpr const char* kFillBytes = "FillBytesQVX(offset as integer, count as integer, value as integer)";

class FillBytesFixture {
 protected:
  void Load() {
    host.LoadPlugin();
    const REALclassDefinition* ext = host.Extension("MemoryBlock");
    fill = reinterpret_cast<qvxmemory::FillBytesQVXEntry>(host.Method(ext, kFillBytes));
    bytes_qvx = reinterpret_cast<qvxmemory::BytesQVXGetter>(host.Getter(ext, "BytesQVX"));
    ASSERT_NE(fill, nullptr);
    ASSERT_NE(bytes_qvx, nullptr);
  }

  FakeHost host;
  qvxmemory::FillBytesQVXEntry fill = nullptr;
  qvxmemory::BytesQVXGetter bytes_qvx = nullptr;
};

Bytes With(Bytes bytes, size_t from, size_t count, unsigned char value) {
  for (size_t i = from; i < from + count; ++i) bytes[i] = value;
  return bytes;
}

struct FillCase {
  const char* name;
  size_t size;
  int32_t offset, count, value;
  Bytes expected;  // the block starts as 0xAA throughout
};

void PrintTo(const FillCase& c, std::ostream* os) { *os << c.name; }

const Bytes k16(16, 0xAA);

class FillBytesQVXTest : public FillBytesFixture, public ::testing::TestWithParam<FillCase> {
 protected:
  void SetUp() override { Load(); }
};

TEST_P(FillBytesQVXTest, FillsTheRangeInsideTheBlock) {
  const FillCase& c = GetParam();
  REALmemoryBlock block = host.NewBlock(c.size, 0xAA);
  fill(block, c.offset, c.count, c.value);
  EXPECT_EQ(host.Bytes(block), c.expected);
  EXPECT_TRUE(host.RaisedExceptions().empty());
  host.Release(block);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FillBytesQVXTest,
    ::testing::Values(
        FillCase{"WholeBlockForCountZero", 16, 0, 0, 255, Bytes(16, 0xFF)},
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
        FillCase{"RegionImage", 46, 0, 36, 255, With(Bytes(46, 0xAA), 0, 36, 0xFF)}),
    [](const auto& info) { return std::string(info.param.name); });

class FillBytesQVXBlockTest : public FillBytesFixture, public ::testing::Test {
 protected:
  void SetUp() override { Load(); }
};

TEST_F(FillBytesQVXBlockTest, NilBlockRaisesNilObjectException) {
  fill(nullptr, 0, 4, 1);
  ASSERT_EQ(host.RaisedExceptions().size(), 1u);
  EXPECT_EQ(host.RaisedExceptions()[0].class_name, "NilObjectException");
  EXPECT_EQ(host.RaisedExceptions()[0].message, "memoryblock is nil");
  EXPECT_EQ(host.RaisedExceptions()[0].error_number, 0);
  EXPECT_EQ(host.LiveObjects(), 0);
}

TEST_F(FillBytesQVXBlockTest, UnknownSizeWritesTheNamedRangeOnly) {
  Bytes memory(8, 0xAA);
  REALmemoryBlock block = host.NewForeignBlock(memory.data(), 0);
  fill(block, 0, 0, 1);
  EXPECT_EQ(memory, Bytes(8, 0xAA)) << "count 0 on a block of unknown size";
  fill(block, 2, 5, 1);
  EXPECT_EQ(memory, With(Bytes(8, 0xAA), 2, 5, 1));
  host.Release(block);
}

TEST_F(FillBytesQVXBlockTest, AsksForTheSizeOnEveryCall) {
  REALmemoryBlock block = host.NewBlock(4);
  fill(block, 0, 0, 1);
  host.Bytes(block).resize(8, 0);
  fill(block, 0, 0, 2);
  EXPECT_EQ(host.Bytes(block), Bytes(8, 2));
  EXPECT_EQ(bytes_qvx(block, 0), 8);
  host.Release(block);
}

TEST_F(FillBytesQVXBlockTest, BytesQVXIsTheReportedSize) {
  REALmemoryBlock block = host.NewBlock(64);
  EXPECT_EQ(bytes_qvx(block, 0), 64);
  EXPECT_EQ(bytes_qvx(nullptr, 0), 0);
  host.Release(block);
}

// Without a host service the members give their neutral result.
class FillBytesQVXLackingTest : public FillBytesFixture, public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    host.Lack(GetParam());
    Load();
  }
};

TEST_P(FillBytesQVXLackingTest, WritesNothing) {
  REALmemoryBlock block = host.NewBlock(16, 0xAA);
  fill(block, 0, 0, 1);
  fill(block, 0, 4, 1);
  EXPECT_EQ(host.Bytes(block), k16);
  EXPECT_TRUE(host.RaisedExceptions().empty());
  if (std::string(GetParam()) == "memoryBlockGetSize") {
    EXPECT_EQ(bytes_qvx(block, 0), 0);
  }
  host.Release(block);
}

INSTANTIATE_TEST_SUITE_P(Services, FillBytesQVXLackingTest,
                         ::testing::Values("memoryBlockGetPtr", "memoryBlockGetSize"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
