// Step 7: verification.
//
// Every region that is not a configuration region is read back with GET_DATA,
// one request in flight, and every answer byte is compared with the image.
// The first counted mismatch is shown at once; at the end a failed
// verification quits. An answer that does not come within kVerifyAnswerTicks,
// or that is not the answer to the request in flight, fails the verification:
// nothing is read outside the report or the image, and a silent device never
// passes. Each region takes its number of requests, wherever it lies.
#include <algorithm>
#include <cmath>

#include "framework/application.h"
#include "framework/numbers.h"
#include "framework/time.h"
#include "framework/ui/msgbox.h"
#include "protocol/module.h"
#include "protocol/packets.h"
#include "protocol/query_device.h"
#include "protocol/text_helpers.h"
#include "updater/app.h"
#include "updater/main_window.h"
#include "updater/verify_answer.h"

namespace updater {

using framework::MemoryBlock;
using framework::Ref;
using framework::String;

namespace {

// The next request's address: addr + step in Doubles, truncated toward zero,
// but wrapping at 32 bits where the saturating conversion would pin the walk
// at 0x80000000.
int32_t NextAddress(int32_t addr, double step) {
  const double next = std::trunc(double(addr) + step);
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(next)));
}

}  // namespace

void mainWindow::Work5() {
  info().set_Text("Verify firmware...");
  VerifyState state;
  for (int32_t i = 0; i < HID::memoryRegionsDetected && i < int32_t(HID::MemoryRegions.size()); ++i) {
    if (HID::MemoryRegions[i]->Type != HID::kConfigurationRegionType) VerifyRegion(i, state);
    if (state.silent) break;
    framework::Yield();
  }
  if (state.failed) {
    framework::MsgBox("Verify failed. Please try again.");
    framework::Quit();
  }
  StartNext();
}

void mainWindow::VerifyRegion(int32_t index, VerifyState& state) {
  const DevicePath& path = TheApp().bound().device;
  const Ref<HID::MemoryRegion> region = HID::MemoryRegions[index];
  const int32_t bpa = HID::ImageBytesPerAddress(HID::bytesPerAddress);
  const double step = double(HID::BytesPerPacket) / double(bpa);

  // The walk counts device addresses from the region's start, so that it ends
  // after the region's number of requests wherever the region lies in the
  // 32-bit address space.
  int32_t addr = region->Address;
  int64_t done = 0;
  int32_t pending = 0;
  GetDataRequest request;
  int64_t sent_at = 0;

  auto send = [&] {
    int32_t len = HID::BytesPerPacket;
    if (double(done) + step > double(region->Size)) {
      len = framework::to_int32(double(HID::BytesPerPacket) - ((double(done) + step) - double(region->Size)) * bpa);
    }
    while (len % bpa != 0) {
      ++len;
      framework::Yield();
    }
    request = GetDataRequest{addr, len};
    path.SendCommand(HID::GetGetDataCommand(addr, len));
    ++pending;
    sent_at = framework::Ticks();
    const int32_t next = NextAddress(addr, step);
    // At least one address a request, so the walk always ends.
    done += std::max<uint32_t>(1, static_cast<uint32_t>(next) - static_cast<uint32_t>(addr));
    addr = next;
  };

  if (done < region->Size) send();
  while (pending != 0 || done < region->Size) {
    const int64_t image_bytes = int64_t(region->Size) * bpa;
    bar().set_Value(framework::to_int32(double(done * bpa * 400) / double(image_bytes) + 100));
    if (pending < 1 && done < region->Size) send();
    Ref<MemoryBlock> report = path.ReadCommand(HID::ReadMode::Immediate);
    if (report) {
      --pending;
      CompareAnswer(
          *report, request, *region, bpa, state, [](const String& text) { framework::MsgBox(text); },
          [] { framework::Yield(); });
    } else if (framework::Ticks() - sent_at >= kVerifyAnswerTicks) {
      state.failed = true;
      state.silent = true;
      return;
    }
    framework::Yield();
  }
}

}  // namespace updater
