// The firmware package from the profile bytes of the package picture: unmask,
// split into fields, convert the IDs, then read the firmware with the HEX
// reader into the default device's regions, as start-up and step 2 do.
#include "bytecodec/bytecodec.h"
#include "fuzz_input.h"
#include "updater/app.h"
#include "updater/read_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ModuleRun run;
  const std::string text =
      bytecodec::XorBytes(std::string_view(reinterpret_cast<const char*>(data), size), updater::kPackageMask, 0);
  updater::TakePackageRecord(framework::String::from_bytes(text, framework::Encodings.Undetermined));

  // The default device: a program region of 0x7000 addresses at 0x1000 and
  // a configuration region of 14 at 0x300000.
  static const uint8_t kReply[HID::kPacketSize] = {0x02, 56,   1,                                         //
                                                   1,    0x00, 0x10, 0x00, 0x00, 0x00, 0x70, 0x00, 0x00,  //
                                                   3,    0x00, 0x00, 0x30, 0x00, 14,   0x00, 0x00, 0x00,  //
                                                   0xFF};
  framework::Ref<framework::MemoryBlock> reply = framework::NewMemoryBlock(HID::kPacketSize);
  for (int32_t i = 0; i < HID::kPacketSize; ++i) reply->set_UInt8Value(i, kReply[i]);
  if (HID::EvaluateQueryDeviceReply(*reply) != HID::QueryEvaluation::Known ||
      !HID::ParseMemoryRegions(run.bound, *reply)) {
    fuzz::Broken("the default device");
  }
  updater::ReadFile(run.bound);
  return 0;
}
