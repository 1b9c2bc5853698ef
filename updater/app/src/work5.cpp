// Step 7: verification.
//
// Every region that is not a configuration region is read back with GET_DATA,
// one request in flight, and every answer byte is compared with the image.
// The first counted mismatch is shown at once; at the end a failed
// verification quits. An answer that does not come within kVerifyAnswerTicks,
// or that breaks the packet's limits, fails the verification: nothing is read
// outside the report or the image, and a silent device never passes.
#include "framework/application.h"
#include "framework/numbers.h"
#include "framework/time.h"
#include "framework/ui/msgbox.h"
#include "protocol/module.h"
#include "protocol/packets.h"
#include "protocol/query_device.h"
#include "protocol/text_helpers.h"
#include "updater/device_path.h"
#include "updater/main_window.h"

namespace updater {

using framework::MemoryBlock;
using framework::Ref;
using framework::String;

struct mainWindow::VerifyState {
  bool failed = false;
  bool reported = false;
  bool silent = false;  // an answer did not come: the device is gone or stuck
};

namespace {

int32_t BytesPerAddressInUse() { return HID::bytesPerAddress == 2 ? 2 : 1; }

int32_t ReportInt32(const MemoryBlock& report, int32_t offset) {
  uint32_t v = 0;
  for (int32_t k = 3; k >= 0; --k) v = (v << 8) | report.UInt8Value(offset + k);
  return static_cast<int32_t>(v);
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
  DevicePath& path = device_path();
  const Ref<HID::MemoryRegion> region = HID::MemoryRegions[index];
  const int32_t bpa = BytesPerAddressInUse();
  const int64_t end = int64_t(region->Address) + region->Size;
  const double step = double(HID::BytesPerPacket) / double(bpa);

  int64_t addr = region->Address;
  int32_t pending = 0;
  int32_t requested = 0;  // address of the request in flight
  int64_t sent_at = 0;

  auto send = [&] {
    int32_t len = HID::BytesPerPacket;
    if (double(addr) + step > double(end)) {
      len = framework::to_int32(double(HID::BytesPerPacket) - ((double(addr) + step) - double(end)) * bpa);
    }
    while (len % bpa != 0) {
      ++len;
      framework::Yield();
    }
    requested = static_cast<int32_t>(addr);
    path.SendCommand(HID::GetGetDataCommand(requested, len));
    ++pending;
    sent_at = framework::Ticks();
    addr = framework::to_int32(double(addr) + step);
  };

  if (addr < end) send();
  while (pending != 0 || addr < end) {
    const int64_t image_bytes = int64_t(region->Size) * bpa;
    bar().set_Value(framework::to_int32(double((addr - region->Address) * bpa * 400) / double(image_bytes) + 100));
    if (pending < 1 && addr < end) send();
    Ref<MemoryBlock> report = path.ReadCommand(true);
    if (report) {
      --pending;
      CompareAnswer(*report, requested, index, state);
    } else if (framework::Ticks() - sent_at >= kVerifyAnswerTicks) {
      state.failed = true;
      state.silent = true;
      return;
    }
    framework::Yield();
  }
}

void mainWindow::CompareAnswer(const MemoryBlock& report, int32_t requested, int32_t index,
                               VerifyState& state) {
  const Ref<HID::MemoryRegion> region = HID::MemoryRegions[index];
  const MemoryBlock& image = *region->data;
  const int32_t bpa = BytesPerAddressInUse();

  auto mismatch = [&](int64_t address) {
    if (!state.reported) {
      state.reported = true;
      framework::MsgBox(String("Verification failed on address ") +
                        HID::hex6(static_cast<int32_t>(address)));
    }
    state.failed = true;
  };

  // A short report or a count past the data field is no answer at all.
  if (report.Size() < HID::kPacketSize) return mismatch(requested);
  const int32_t ra = ReportInt32(report, HID::kPacketAddressOffset);
  const int32_t rn = report.UInt8Value(HID::kPacketCountOffset);
  if (rn > HID::kPacketDataSize) return mismatch(ra);

  int64_t off = (int64_t(ra) - region->Address) * bpa;
  for (int32_t j = 0; j < rn; ++j, ++off) {
    const uint8_t got = report.UInt8Value(HID::GetDataReplyDataOffset(rn) + j);
    if (off < 0 || off >= image.Size()) {
      mismatch(int64_t(ra) + j);
    } else if (image.UInt8Value(off) != got) {
      if (bpa == 2 && (j + 1) % 4 == 0) {
        // Family 2: every fourth answer byte is not compared.
      } else if (bpa == 2 && ra == 0x1400) {
        framework::MsgBox("Error1");
      } else if (bpa == 2 && ra == 0) {
        framework::MsgBox("Error2");
      } else {
        mismatch(int64_t(ra) + j);
      }
    }
    framework::Yield();
  }
}

}  // namespace updater
