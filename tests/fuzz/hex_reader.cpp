// The Intel HEX reader over regions that the input lays out.
//
// Input: family (1 byte), number of regions (1 byte, up to 6), per region its
// type (1 byte), address (4 bytes) and size (2 bytes); the rest is the HEX
// text. The regions go through the QUERY_DEVICE evaluation and parsing, as in
// step 1. Afterwards no image may have changed its size, and the bytes at and
// past each region's write limit must be as they started.
#include <vector>

#include "fuzz_input.h"
#include "updater/read_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  fuzz::ModuleRun run;

  framework::Ref<framework::MemoryBlock> reply = framework::NewMemoryBlock(HID::kPacketSize);
  reply->set_UInt8Value(0, HID::QUERY_DEVICE);
  reply->set_UInt8Value(1, 56);
  reply->set_UInt8Value(2, 1 + in.U8() % 3);
  const int regions = in.U8() % 7;
  int32_t offset = HID::kQueryReplyFirstEntryOffset;
  for (int k = 0; k < regions; ++k) {
    reply->set_UInt8Value(offset, in.U8() % 0xFF);
    const uint32_t address = in.U32();
    const uint32_t units = in.U16();
    for (int i = 0; i < 4; ++i) {
      reply->set_UInt8Value(offset + 1 + i, uint8_t(address >> (8 * i)));
      reply->set_UInt8Value(offset + 5 + i, uint8_t(units >> (8 * i)));
    }
    offset += HID::kQueryReplyEntrySize;
  }
  if (regions < HID::kQueryReplyMaxEntries) reply->set_UInt8Value(offset, HID::kRegionListEnd);
  if (HID::EvaluateQueryDeviceReply(*reply) != HID::QueryEvaluation::Known) fuzz::Broken("known family");
  if (!HID::ParseMemoryRegions(run.bound, *reply)) fuzz::Broken("small regions are usable");

  // The bytes at and past each region's write limit, as the images start.
  const int64_t b = HID::bytesPerAddress;
  std::vector<std::vector<uint8_t>> beyond;
  for (const auto& region : HID::MemoryRegions) {
    const framework::MemoryBlock& image = *region->data;
    beyond.emplace_back();
    for (int64_t p = (region->Size + 1) * b; p < image.Size(); ++p) beyond.back().push_back(image.UInt8Value(p));
  }

  HID::datafile = framework::String::from_bytes(in.Rest(), framework::Encodings.Undetermined);
  updater::ReadFile(run.bound);

  for (size_t k = 0; k < HID::MemoryRegions.size(); ++k) {
    const HID::MemoryRegion& region = *HID::MemoryRegions[k];
    const framework::MemoryBlock& image = *region.data;
    if (image.Size() != region.Size * b + HID::kImageSpareBytes) fuzz::Broken("image size");
    for (size_t i = 0; i < beyond[k].size(); ++i) {
      if (image.UInt8Value(int64_t((region.Size + 1) * b) + int64_t(i)) != beyond[k][i]) {
        fuzz::Broken("written past the limit");
      }
    }
  }
  return 0;
}
