#include "module_fixture.h"

namespace hidtest {

std::string Text(const framework::String& s) { return std::string(s.bytes()); }

std::vector<uint8_t> Bytes(const framework::MemoryBlock& block) {
  std::vector<uint8_t> out(static_cast<size_t>(block.Size()));
  for (size_t i = 0; i < out.size(); ++i) out[i] = block.UInt8Value(static_cast<int32_t>(i));
  return out;
}

void ModuleTest::SetUp() {
  HID::Initialise();
  bound = FakeMembers([this](const framework::String& text) { messages.push_back(Text(text)); });
}

void ModuleTest::TearDown() { HID::Finalise(); }

framework::Ref<framework::MemoryBlock> QueryReply(uint8_t bytesPerPacket, uint8_t family,
                                                  const std::vector<RegionEntry>& entries) {
  framework::Ref<framework::MemoryBlock> reply = framework::NewMemoryBlock(64);
  reply->set_LittleEndian(true);
  reply->set_UInt8Value(0, HID::QUERY_DEVICE);
  reply->set_UInt8Value(1, bytesPerPacket);
  reply->set_UInt8Value(2, family);
  int32_t offset = 3;
  for (const RegionEntry& e : entries) {
    reply->set_UInt8Value(offset, e.type);
    reply->set_Int32Value(offset + 1, e.address);
    reply->set_Int32Value(offset + 5, e.size);
    offset += 9;
  }
  if (entries.size() < 6) reply->set_UInt8Value(offset, 0xFF);
  return reply;
}

}  // namespace hidtest
