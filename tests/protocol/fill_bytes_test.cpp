#include <ostream>
#include <vector>

#include "module_fixture.h"

namespace {

struct FillCase {
  int32_t offset;
  int32_t count;
  int32_t value;
  std::vector<uint8_t> expected;  // the 16 bytes afterwards
};

std::vector<uint8_t> Sixteen(uint8_t v) { return std::vector<uint8_t>(16, v); }

std::vector<uint8_t> Set(std::vector<uint8_t> bytes, int from, int to, uint8_t v) {
  for (int i = from; i < to; ++i) bytes[i] = v;
  return bytes;
}

void PrintTo(const FillCase& c, std::ostream* os) {
  *os << "offset " << c.offset << " count " << c.count << " value " << c.value;
}

class FillBytesTest : public ::testing::TestWithParam<FillCase> {};

// The stand-in keeps the plug-in's rules until start-up binds the plug-in.
TEST_P(FillBytesTest, FillsTheNamedRangeInsideTheBlock) {
  const FillCase& c = GetParam();
  framework::Ref<framework::MemoryBlock> block = framework::NewMemoryBlock(16);
  HID::FillBytesQVX(*block, c.offset, c.count, c.value);
  EXPECT_EQ(hidtest::Bytes(*block), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Ranges, FillBytesTest,
                         ::testing::Values(FillCase{0, 0, 255, Sixteen(0xFF)},
                                           FillCase{0, -5, 1, Sixteen(0x01)},
                                           FillCase{2, 3, 511, Set(Sixteen(0), 2, 5, 0xFF)},
                                           FillCase{-1, 4, 7, Sixteen(0)},
                                           FillCase{14, 5, 9, Set(Sixteen(0), 14, 16, 9)},
                                           FillCase{4, 0, 3, Set(Sixteen(0), 4, 16, 3)},
                                           FillCase{16, 1, 3, Sixteen(0)}));

}  // namespace
