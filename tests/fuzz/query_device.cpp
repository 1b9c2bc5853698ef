// The QUERY_DEVICE evaluation and region parsing over any reply, as step 1
// and the console's Query Device make them. Whatever the reply says, the
// images together stay within the limit, each has its documented size, and a
// refused reply lists nothing.
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ModuleRun run;
  if (size > 2 * HID::kPacketSize) return 0;
  framework::Ref<framework::MemoryBlock> reply = framework::NewMemoryBlock(int64_t(size));
  for (size_t i = 0; i < size; ++i) reply->set_UInt8Value(int32_t(i), data[i]);

  const HID::QueryEvaluation evaluation = HID::EvaluateQueryDeviceReply(*reply);
  if (evaluation != HID::QueryEvaluation::Known && evaluation != HID::QueryEvaluation::UnknownFamily) return 0;
  const bool usable = HID::ParseMemoryRegions(run.bound, *reply);
  if (!usable && !HID::MemoryRegions.empty()) fuzz::Broken("a refused reply listed regions");
  if (HID::memoryRegionsDetected != int32_t(HID::MemoryRegions.size())) fuzz::Broken("region count");

  const int64_t b = HID::bytesPerAddress == 2 ? 2 : 1;
  int64_t total = 0;
  for (const auto& region : HID::MemoryRegions) {
    const framework::MemoryBlock& image = *region->data;
    if (image.Size() != region->Size * b + HID::kImageSpareBytes) fuzz::Broken("image size");
    total += image.Size();
    const int64_t filled = region->Size * b;
    if (filled > 0 && (image.UInt8Value(0) != 0xFF || image.UInt8Value(int32_t(filled - 1)) != 0xFF)) {
      fuzz::Broken("image not filled");
    }
    if (filled > 0 && image.UInt8Value(int32_t(filled)) != 0) fuzz::Broken("spare bytes not zero");
  }
  if (total > HID::kMaxImageBytes) fuzz::Broken("images past the limit");
  return 0;
}
