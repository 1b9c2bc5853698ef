#pragma once
// Test support for module HID: fresh module data per test, the messages shown
// recorded in order, and QUERY_DEVICE replies built from region entries.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fake_members.h"
#include "protocol/hid.h"

namespace hidtest {

std::string Text(const framework::String& s);
std::vector<uint8_t> Bytes(const framework::MemoryBlock& block);

// Starts the module data afresh and records every message shown through
// `bound`; finalises the module data at the end of the test.
class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::vector<std::string> messages;
  HID::BoundMembers bound;
};

struct RegionEntry {
  uint8_t type;
  int32_t address;
  int32_t size;
};

// A 64-byte QUERY_DEVICE reply with the given entries, followed by the end
// mark when there are fewer than six.
framework::Ref<framework::MemoryBlock> QueryReply(uint8_t bytesPerPacket, uint8_t family,
                                                  const std::vector<RegionEntry>& entries);

}  // namespace hidtest
