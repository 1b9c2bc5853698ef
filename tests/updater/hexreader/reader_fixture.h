#pragma once
// Regions made the way step 1 makes them, then the text read as step 2 does.

#include <string>
#include <vector>

#include "module_fixture.h"
#include "updater/read_file.h"

namespace hidtest {

class ReaderTest : public ModuleTest {
 protected:
  // Evaluates and parses a QUERY_DEVICE reply for `family` with `entries`.
  void MakeRegions(uint8_t family, const std::vector<RegionEntry>& entries) {
    framework::Ref<framework::MemoryBlock> reply = QueryReply(56, family, entries);
    ASSERT_EQ(HID::EvaluateQueryDeviceReply(*reply), HID::QueryEvaluation::Known);
    ASSERT_TRUE(HID::ParseMemoryRegions(*reply));
  }

  bool Read(const std::string& text) {
    HID::datafile = framework::String(text);
    return updater::ReadFile();
  }

  std::vector<uint8_t> ImageOf(size_t k) { return Bytes(*HID::MemoryRegions.at(k)->data); }
};

}  // namespace hidtest
