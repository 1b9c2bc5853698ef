// How the plug-in uses the host's services: asked on every call, and without
// one the members give their neutral results and write nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QVXMemory.h"
#include "extension_routines.h"
#include "fake_host.h"

namespace {

using fakehost::Host;
using Bytes = std::vector<unsigned char>;

constexpr const char* kFillBytes = "FillBytesQVX(offset as integer, count as integer, value as integer)";

class ServiceUseFixture {
 protected:
  void Load() {
    host.LoadFreshCopy(QVXMEMORY_PATH);
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

  Host host;
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
    host.services.erase(GetParam());
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
  EXPECT_TRUE(host.raised.empty());
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
  ASSERT_EQ(host.raised.size(), can_raise ? 1u : 0u);
  if (can_raise) {
    EXPECT_EQ(host.raised[0]->class_name, "NilObjectException");
    EXPECT_EQ(host.raised[0]->string_props["Message"], Lacking("REALBuildString") ? "<nil>" : "memoryblock is nil");
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

// The numbers and the bit and byte transforms ask the host for a reference
// and a size only to keep the block alive and their ranges inside it: without
// those services they go on, with the block counting as one of size 0, so
// that a range they are given stands as named.
class WithoutReferenceOrSizeTest : public ServiceUseFixture, public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    host.services.erase(GetParam());
    host.LoadFreshCopy(QVXMEMORY_PATH);
    ext = host.Extension("MemoryBlock");
  }
  // F names a routine's type only (decltype): the test calls the entry the host holds.
  template <typename F>
  F* Entry(const char* declaration) {
    auto* f = reinterpret_cast<F*>(host.Method(ext, declaration));
    EXPECT_NE(f, nullptr) << declaration;
    return f;
  }
  bool Lacking(const char* service) const { return std::string(GetParam()) == service; }

  const REALclassDefinition* ext = nullptr;
};

TEST_P(WithoutReferenceOrSizeTest, RangeMembersGoOnWithTheRangeAsGiven) {
  auto* calc3te = Entry<decltype(qvxmemory::Calc3te)>(
      "_Calc3te(Source1 as Integer, Source2 as Integer, Source3 as Integer, Source4 as Integer, Dest1 as Integer, "
      "Dest2 as Integer, Dest3 as Integer, Dest4 as Integer, Tolerance as double, offsetByte as Integer = 0, "
      "Length as integer = 0)");
  auto* multiply8 = Entry<decltype(qvxmemory::MultiplyUInt8QVX)>(
      "MultiplyUInt8QVX(Factor as double, offsetByte as Integer = 0, lengthBytes as integer = 0)");
  auto* min = Entry<decltype(qvxmemory::MinQVX)>(
      "MinQVX(firstMem as Ptr, secondMem as Ptr, BitSize as integer = 8, Signed as Boolean = false, "
      "offsetByte as Integer = 0, lengthBytes as integer = 0) as boolean");
  ASSERT_TRUE(calc3te && multiply8 && min);
  REALmemoryBlock block = host.NewBlock(8, 5);
  const int refs = host.Refs(reinterpret_cast<REALobject>(block));
  calc3te(block, 5, 5, 5, 5, 1, 2, 3, 4, 0.0, 0, 4);
  multiply8(block, 2.0, 4, 2);
  Bytes first = {9, 1}, second = {3, 7};
  EXPECT_TRUE(min(block, first.data(), second.data(), 8, false, 6, 2));
  EXPECT_EQ(host.Bytes(block), (Bytes{1, 2, 3, 4, 10, 10, 3, 1}));
  // The default length reaches to the block's end: none without a size.
  multiply8(block, 2.0, 0, 0);
  EXPECT_EQ(host.Bytes(block),
            Lacking("memoryBlockGetSize") ? (Bytes{1, 2, 3, 4, 10, 10, 3, 1}) : (Bytes{2, 4, 6, 8, 20, 20, 6, 2}));
  EXPECT_EQ(host.Refs(reinterpret_cast<REALobject>(block)), refs) << "no reference is kept";
  EXPECT_TRUE(host.raised.empty());
  host.Release(block);
}

TEST_P(WithoutReferenceOrSizeTest, TransformsAndFloatPairsNeedNoSize) {
  auto* invert = Entry<decltype(qvxmemory::InvertBytesQVX)>("InvertBytesQVX(offset as integer, count as integer)");
  auto* mirror_bits = Entry<decltype(qvxmemory::MirrorBitsInBytesQVX)>(
      "MirrorBitsInBytesQVX(offsetByte as Integer, lengthByte as integer)");
  auto* mirror_bytes = Entry<decltype(qvxmemory::MirrorBytesQVX)>(
      "MirrorBytesQVX(offsetByte as Integer = 0, lengthByte as integer = -1)");
  auto* sweep = Entry<decltype(qvxmemory::CalcLogSweepTable)>(
      "_CalcLogSweepTableQVX(offsetByte as Integer, Z as integer, lw1 as integer, lw2 as integer, T as double)");
  ASSERT_TRUE(invert && mirror_bits && mirror_bytes && sweep);
  REALmemoryBlock block = host.NewBlock(4, 0);
  host.Bytes(block) = {0x00, 0x01, 0x0F, 0xF0};
  invert(block, 0, 1);
  mirror_bits(block, 1, 1);
  mirror_bytes(block, 2, 2);
  EXPECT_EQ(host.Bytes(block), (Bytes{0xFF, 0x80, 0xF0, 0x0F}));
  // The whole block, by default: only a block of known size has a whole.
  mirror_bytes(block, 0, -1);
  EXPECT_EQ(host.Bytes(block),
            Lacking("memoryBlockGetSize") ? (Bytes{0xFF, 0x80, 0xF0, 0x0F}) : (Bytes{0x0F, 0xF0, 0x80, 0xFF}));
  REALmemoryBlock table = host.NewBlock(16, 0xAA);
  sweep(table, 0, 2, 20, 20000, 48000.0);
  EXPECT_EQ(Bytes(host.Bytes(table).begin(), host.Bytes(table).begin() + 8), Bytes(8, 0)) << "pair 0 is (0, 0)";
  EXPECT_NE(host.Bytes(table)[8], 0xAA) << "pair 1 is written";
  EXPECT_TRUE(host.raised.empty());
  host.Release(table);
  host.Release(block);
}

INSTANTIATE_TEST_SUITE_P(Services, WithoutReferenceOrSizeTest,
                         ::testing::Values("REALLockObject", "REALUnlockObject", "memoryBlockGetSize"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
