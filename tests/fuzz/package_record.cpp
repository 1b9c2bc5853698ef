// The firmware package from the profile bytes of the package picture: unmask,
// split into fields, convert the IDs, then read the firmware with the HEX
// reader into the default device's regions, as start-up and step 2 do.
#include "bytecodec/bytecodec.h"
#include "default_device.h"
#include "fuzz_input.h"
#include "updater/app.h"
#include "updater/read_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ModuleRun run;
  const std::string text =
      bytecodec::XorBytes(std::string_view(reinterpret_cast<const char*>(data), size), updater::kPackageMask, 0);
  updater::TakePackageRecord(framework::String::from_bytes(text, framework::Encodings.Undetermined));

  static const std::array<uint8_t, 64> kAnswer = testsupport::DefaultQueryReply();
  framework::Ref<framework::MemoryBlock> reply = framework::NewMemoryBlock(int32_t(kAnswer.size()));
  for (size_t i = 0; i < kAnswer.size(); ++i) reply->set_UInt8Value(int32_t(i), kAnswer[i]);
  if (HID::EvaluateQueryDeviceReply(*reply) != HID::QueryEvaluation::Known ||
      !HID::ParseMemoryRegions(run.bound, *reply)) {
    fuzz::Broken("the default device");
  }
  updater::ReadFile(run.bound);
  return 0;
}
