#include "updater/verify_answer.h"

#include "protocol/packets.h"
#include "protocol/text_helpers.h"

namespace updater {

using framework::MemoryBlock;
using framework::String;

namespace {

int32_t ReportInt32(const MemoryBlock& report, int32_t offset) {
  uint32_t v = 0;
  for (int32_t k = 3; k >= 0; --k) v = (v << 8) | report.UInt8Value(offset + k);
  return static_cast<int32_t>(v);
}

}  // namespace

void CompareAnswer(const MemoryBlock& report, GetDataRequest request, const HID::MemoryRegion& region,
                   int32_t bytesPerAddress, VerifyState& state, const std::function<void(const String&)>& show,
                   const std::function<void()>& yield) {
  auto mismatch = [&](int32_t address) {
    if (!state.reported) {
      state.reported = true;
      show(String("Verification failed on address ") + HID::hex6(address));
    }
    state.failed = true;
  };

  // Only the answer to the request in flight counts: one with a count of 0, or
  // one for another address, would otherwise compare nothing or the wrong bytes.
  if (report.Size() < HID::kPacketSize) return mismatch(request.address);
  const int32_t ra = ReportInt32(report, HID::kPacketAddressOffset);
  const int32_t rn = report.UInt8Value(HID::kPacketCountOffset);
  if (ra != request.address || rn != request.count || rn > HID::kPacketDataSize) {
    return mismatch(request.address);
  }

  const MemoryBlock* image = region.data.get();
  const int64_t imageSize = image ? image->Size() : 0;
  // Device addresses wrap at 32 bits, so the offset is taken modulo 2^32.
  const uint32_t units = static_cast<uint32_t>(ra) - static_cast<uint32_t>(region.Address);
  int64_t off = int64_t{units} * bytesPerAddress;
  for (int32_t j = 0; j < rn; ++j, ++off) {
    const uint8_t got = report.UInt8Value(HID::GetDataReplyDataOffset(rn) + j);
    if (off >= imageSize) {
      mismatch(static_cast<int32_t>(static_cast<uint32_t>(ra) + static_cast<uint32_t>(j)));
    } else if (image->UInt8Value(static_cast<int32_t>(off)) != got) {
      if (bytesPerAddress == 2 && (j + 1) % 4 == 0) {
        // Family 2: every fourth answer byte is not compared.
      } else if (bytesPerAddress == 2 && ra == 0x1400) {
        show("Error1");
      } else if (bytesPerAddress == 2 && ra == 0) {
        show("Error2");
      } else {
        mismatch(static_cast<int32_t>(static_cast<uint32_t>(ra) + static_cast<uint32_t>(j)));
      }
    }
    if (yield) yield();
  }
}

}  // namespace updater
