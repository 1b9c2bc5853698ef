// The verification compare of one GET_DATA answer against a region image.
//
// Input: flags (1 byte: bit 0 two bytes per address, bit 1 a request address
// of its own), the region's address (4 bytes) and size (2 bytes, up to 4096),
// the request's address (4 bytes: an offset into the region unless bit 1) and
// count (1 byte), one byte the image is filled with; the rest is the report,
// at most 80 bytes. An answer that is not the one asked for never passes, and
// one that passes holds the image's bytes.
#include <string>

#include "fuzz_input.h"
#include "updater/verify_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  const uint8_t flags = in.U8();
  const int32_t bpa = (flags & 1) ? 2 : 1;
  framework::Ref<HID::MemoryRegion> region = framework::make<HID::MemoryRegion>();
  region->Address = int32_t(in.U32());
  region->Size = in.U16() % 4097;
  const uint32_t where = in.U32();
  updater::GetDataRequest request;
  request.address =
      (flags & 2) ? int32_t(where) : int32_t(uint32_t(region->Address) + where % uint32_t(region->Size + 1));
  request.count = in.U8() % (HID::kPacketDataSize + 2);
  const uint8_t fill = in.U8();
  region->data = framework::NewMemoryBlock(int64_t(region->Size) * bpa + HID::kImageSpareBytes);
  for (int32_t i = 0; i < region->Size * bpa; ++i) region->data->set_UInt8Value(i, uint8_t(fill + i % 3));

  const std::string bytes = in.Take(80);
  framework::Ref<framework::MemoryBlock> report = framework::NewMemoryBlock(int64_t(bytes.size()));
  report->set_LittleEndian(true);
  for (size_t i = 0; i < bytes.size(); ++i) report->set_UInt8Value(int32_t(i), uint8_t(bytes[i]));

  updater::VerifyState state;
  int failures_shown = 0;
  updater::CompareAnswer(*report, request, *region, bpa, state, [&](const framework::String& text) {
    if (std::string(text.bytes()).rfind("Verification failed on address ", 0) == 0) ++failures_shown;
  });
  if (failures_shown > 1) fuzz::Broken("the failure shown twice");
  if (state.failed != (failures_shown == 1)) fuzz::Broken("a failure without its message");

  const bool asked = report->Size() >= HID::kPacketSize &&
                     report->Int32Value(HID::kPacketAddressOffset) == request.address &&
                     report->UInt8Value(HID::kPacketCountOffset) == request.count;
  if (!asked && !state.failed) fuzz::Broken("an answer to another request passed");
  if (!state.failed && bpa == 1) {
    const int64_t off = uint32_t(request.address) - uint32_t(region->Address);
    for (int32_t j = 0; j < request.count; ++j) {
      const uint8_t got = report->UInt8Value(HID::GetDataReplyDataOffset(request.count) + j);
      if (off + j >= region->data->Size() || region->data->UInt8Value(int32_t(off + j)) != got) {
        fuzz::Broken("a differing answer passed");
      }
    }
  }
  return 0;
}
