#include <ostream>
#include "console/decoding_from_hex.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct DecodeCase {
  friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << "\"" << c.hex << "\""; }
  const char* hex;
  std::string bytes;
};

class DecodingFromHexTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodingFromHexTest, StandInReadsDigitPairs) {
  EXPECT_EQ(std::string(console::DecodingFromHexQVX(GetParam().hex).bytes()), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Texts, DecodingFromHexTest,
                         testing::Values(DecodeCase{"", ""}, DecodeCase{"00ff10", std::string("\0\xff\x10", 3)},
                                         DecodeCase{"A 0\n1B", "\xa0\x1b"}, DecodeCase{"414G42", "A"},
                                         DecodeCase{"414", "A"}));

}  // namespace
