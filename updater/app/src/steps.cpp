// Steps 1 to 5 of the update.
#include "framework/application.h"
#include "framework/text.h"
#include "framework/time.h"
#include "framework/ui/msgbox.h"
#include "protocol/module.h"
#include "protocol/packets.h"
#include "protocol/query_device.h"
#include "protocol/trace.h"
#include "updater/app.h"
#include "updater/main_window.h"
#include "updater/read_file.h"

namespace updater {

using framework::MemoryBlock;
using framework::Ref;
using framework::String;

namespace {

[[noreturn]] void Fail(const String& message) {
  framework::MsgBox(message);
  framework::Quit();
}

String TwoParagraphs(const char* first, int64_t number) {
  const String eol = framework::EndOfLine;
  return String(first) + eol + eol + framework::Str(number);
}

// Whether step 1 (and the console) listed a region that programming writes.
bool AnyProgrammableRegion() {
  for (int32_t i = 0; i < HID::memoryRegionsDetected && i < int32_t(HID::MemoryRegions.size()); ++i) {
    if (HID::MemoryRegions[i] && HID::IsProgrammableRegion(*HID::MemoryRegions[i])) return true;
  }
  return false;
}

}  // namespace

void mainWindow::Work1() {
  info().set_Text("Query device status...");
  const Bound& bound = TheApp().bound();
  const DevicePath& path = bound.device;
  path.SendCommand(HID::GetQueryDeviceCommand());
  Ref<MemoryBlock> reply = path.ReadCommand(HID::ReadMode::Waiting);
  if (!reply) Fail("Failed to get answer from device.");

  switch (HID::EvaluateQueryDeviceReply(*reply)) {
    case HID::QueryEvaluation::WrongAnswer:
    case HID::QueryEvaluation::TooShort:
      if (reply->Size() < 1) Fail("Wrong answer from device.");
      Fail(TwoParagraphs("Wrong answer from device.", reply->UInt8Value(0)));
    case HID::QueryEvaluation::UnknownFamily:
      Fail(TwoParagraphs("Unknown type of device.", HID::DeviceFamily));
    case HID::QueryEvaluation::Known:
      break;
  }

  // Programming and verification need whole device addresses in a packet's
  // 58-byte data field; any other size would make them loop without end or
  // run past the field, so refuse the device before anything is erased.
  if (HID::BytesPerPacket < HID::bytesPerAddress || HID::BytesPerPacket > HID::kPacketDataSize) {
    Fail(TwoParagraphs("Unsupported packet size reported by device.", HID::BytesPerPacket));
  }
  if (!HID::ParseMemoryRegions(bound.hid, *reply)) Fail("Unusable memory regions reported by device.");
  StartNext();
}

void mainWindow::Work2() {
  info().set_Text("Reading update data...");
  int64_t programmable = 0;
  if (!ReadFile(TheApp().bound().hid, &programmable)) framework::Quit();
  bar().set_Value(0);
#if DiagnosticBuild
  HID::DumpMemoryRegions(TheApp().bound().hid);
#endif
  // The erase comes next: with nothing to write the device would be left
  // erased and the user told it was updated.
  if (!AnyProgrammableRegion()) Fail("Unusable memory regions reported by device.");
  if (programmable == 0) Fail("The firmware holds no data for this device.");
  StartNext();
}

void mainWindow::Work3a() {
  info().set_Text("Preparing device...");
  StartNext();
}

void mainWindow::Work3b() {
  Cancelbutton().set_Enabled(false);
  TheApp().bound().device.SendCommand(HID::GetEraseDeviceCommand());
  StartNext();
}

void mainWindow::Work3c() {
  const DevicePath& path = TheApp().bound().device;
  path.SendCommand(HID::GetQueryDeviceCommand());
  // The device does not answer while it erases; wait long enough for a large
  // part, but not for ever: Cancel is already disabled.
  const int64_t deadline = framework::Ticks() + kEraseAnswerTicks;
  for (;;) {
    Ref<MemoryBlock> report = path.ReadCommand(HID::ReadMode::Waiting);
    framework::Yield();
    if (report) break;
    if (framework::Ticks() >= deadline) Fail("Failed to get answer from device.");
  }
  bar().set_Value(0);
  StartNext();
}

}  // namespace updater
