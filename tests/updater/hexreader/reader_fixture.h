#pragma once
// Regions made the way step 1 makes them, then the text read as step 2 does.

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "module_fixture.h"
#include "updater/read_file.h"

namespace hidtest {

// Equal bytes; otherwise the sizes and the first offset that differs, so that a
// mismatch in a large image reads in one line.
inline ::testing::AssertionResult SameBytes(const std::vector<uint8_t>& got, const std::vector<uint8_t>& expected) {
  const size_t n = std::min(got.size(), expected.size());
  for (size_t i = 0; i < n; ++i) {
    if (got[i] != expected[i]) {
      return ::testing::AssertionFailure()
             << "byte " << i << " is " << int(got[i]) << ", expected " << int(expected[i]);
    }
  }
  if (got.size() != expected.size()) {
    return ::testing::AssertionFailure() << got.size() << " bytes, expected " << expected.size();
  }
  return ::testing::AssertionSuccess();
}

class ReaderTest : public ModuleTest {
 protected:
  // Evaluates and parses a QUERY_DEVICE reply for `family` with `entries`.
  void MakeRegions(uint8_t family, const std::vector<RegionEntry>& entries) {
    TakeReply(QueryReply(56, family, entries));
  }
  // Evaluates and parses the QUERY_DEVICE reply `answer`, byte for byte.
  void MakeRegions(const std::array<uint8_t, 64>& answer) {
    framework::Ref<framework::MemoryBlock> reply = framework::NewMemoryBlock(int32_t(answer.size()));
    for (size_t i = 0; i < answer.size(); ++i) reply->set_UInt8Value(int32_t(i), answer[i]);
    TakeReply(reply);
  }

  bool Read(const std::string& text) {
    HID::datafile = framework::String(text);
    return updater::ReadFile(bound);
  }

  std::vector<uint8_t> ImageOf(size_t k) { return Bytes(*HID::MemoryRegions.at(k)->data); }

 private:
  void TakeReply(const framework::Ref<framework::MemoryBlock>& reply) {
    ASSERT_EQ(HID::EvaluateQueryDeviceReply(*reply), HID::QueryEvaluation::Known);
    ASSERT_TRUE(HID::ParseMemoryRegions(bound, *reply));
  }
};

}  // namespace hidtest
