#include "fake_members.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "bytecodec/bytecodec.h"
#include "framework/encoding.h"

namespace hidtest {

namespace {

// Within the block only, as the plug-in fills.
void Fill(framework::MemoryBlock& block, int32_t offset, int32_t count, int32_t value) {
  const int64_t size = block.Size();
  int64_t n = count;
  if (n <= 0) n = size;
  if (n <= 0 || offset < 0 || offset >= size) return;
  n = std::min<int64_t>(n, size - offset);
  std::memset(block.data() + offset, value & 0xFF, static_cast<size_t>(n));
}

}  // namespace

HID::BoundMembers FakeMembers(std::function<void(const framework::String& text)> show_message) {
  HID::BoundMembers m;
  m.ShowMessage = std::move(show_message);
  m.FillBytesQVX = Fill;
  m.EncodingToHexQVX = [](const framework::String& data) { return framework::String(bytecodec::ToHex(data.bytes())); };
  return m;
}

framework::String FakeDecodingFromHex(const framework::String& hex) {
  return framework::String::from_bytes(bytecodec::FromHex(hex.bytes()), framework::Encodings.Undetermined);
}

}  // namespace hidtest
