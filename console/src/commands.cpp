// The console's command buttons: each sends one bootloader command and shows
// the packet, and for Query Device and Read the reply, as hex text.
#include <vector>

#include "console/console_window.h"
#include "framework/memoryblock.h"
#include "framework/numbers.h"
#include "framework/text.h"
#include "framework/time.h"
#include "framework/ui/msgbox.h"
#include "protocol/module.h"
#include "protocol/packets.h"
#include "protocol/query_device.h"
#include "updater/app.h"

namespace console {

using framework::MemoryBlock;
using framework::PushButton;
using framework::Ref;
using framework::String;

namespace {

String Eol() { return framework::EndOfLine; }

// What start-up bound, kept by the application object.
const updater::Bound& TheBound() { return updater::TheApp().bound(); }

String Hex(const MemoryBlock& block) { return TheBound().hid.EncodingToHexQVX(block.ToString()); }

void WrongAnswer(const MemoryBlock& reply) {
  if (reply.Size() < 1) {
    framework::MsgBox("Falsche Antwort vom Gerät.");
    return;
  }
  framework::MsgBox(String("Falsche Antwort vom Gerät.") + Eol() + Eol() + framework::Str(reply.UInt8Value(0)));
}

// A reply that does not hold the bytes the command reads from it.
void ShortAnswer(const MemoryBlock& reply) {
  framework::MsgBox(String("Antwort vom Gerät zu kurz.") + Eol() + Eol() + framework::Str(reply.Size()));
}

// Packets larger than the data field cannot be built.
void UnusablePacketSize() {
  framework::MsgBox(String("Ungültige Paketgröße.") + Eol() + Eol() + framework::Str(HID::BytesPerPacket));
}

int32_t Address(const ConsoleWindow& w) { return framework::to_int32(framework::Val(w.iAddress().Text())); }

void Clear(ConsoleWindow& w) {
  w.Versendet().set_Text("");
  w.Empfangen().set_Text("");
}

void Send(ConsoleWindow& w, const Ref<MemoryBlock>& packet) {
  TheBound().device.SendCommand(packet);
  w.Versendet().set_Text(Hex(*packet));
}

// The reply, shown in Empfangen; nil, after a message, when none came in time.
Ref<MemoryBlock> AwaitReply(ConsoleWindow& w) {
  const int64_t deadline = framework::Ticks() + kConsoleAnswerTicks;
  for (;;) {
    Ref<MemoryBlock> reply = TheBound().device.ReadCommand(HID::ReadMode::Waiting);
    framework::Yield();
    if (reply) {
      w.Empfangen().set_Text(Hex(*reply));
      return reply;
    }
    if (framework::Ticks() >= deadline) {
      framework::MsgBox("Keine Antwort vom Gerät.");
      return nullptr;
    }
  }
}

}  // namespace

void ConsoleWindow::PushButton2_Action(PushButton&) {
  // The close box may end the window while the reply is awaited.
  const Ref<ConsoleWindow> hold(this);
  Clear(*this);
  Send(*this, HID::GetQueryDeviceCommand());
  Ref<MemoryBlock> reply = AwaitReply(*this);
  if (!reply) return;
  if (reply->Size() < 1 || reply->UInt8Value(0) != HID::QUERY_DEVICE) return WrongAnswer(*reply);
  if (reply->Size() <= HID::kQueryReplyDeviceFamilyOffset) return ShortAnswer(*reply);

  // Sets BytesPerPacket, DeviceFamily and, for a family in the table,
  // bytesPerAddress.
  const HID::QueryEvaluation evaluation = HID::EvaluateQueryDeviceReply(*reply);
  std::vector<String> lines{String("BytesPerPacket: ") + framework::Str(HID::BytesPerPacket),
                            String("DeviceFamily: ") + framework::Str(HID::DeviceFamily)};
  if (evaluation != HID::QueryEvaluation::Known)
    lines.push_back(String("Unbekanntes Gerät: ") + framework::Str(HID::DeviceFamily));
  lines.push_back(String("bytesPerAddress: ") + framework::Str(HID::bytesPerAddress));
  framework::MsgBox(framework::Join(lines, Eol()));

  if (!HID::ParseMemoryRegions(TheBound().hid, *reply)) framework::MsgBox("Unbrauchbare Speicherbereiche vom Gerät.");
}

void ConsoleWindow::PushButton3_Action(PushButton&) {
  const Ref<ConsoleWindow> hold(this);  // as for Query Device
  Clear(*this);
  const int32_t address = Address(*this);
  Ref<MemoryBlock> packet = HID::GetGetDataCommand(address, HID::BytesPerPacket);
  if (!packet) return UnusablePacketSize();
  Send(*this, packet);
  Ref<MemoryBlock> reply = AwaitReply(*this);
  if (!reply) return;
  if (reply->Size() < 1 || reply->UInt8Value(0) != HID::GET_DATA) return WrongAnswer(*reply);
  if (reply->Size() < HID::kPacketDataOffset + HID::BytesPerPacket) return ShortAnswer(*reply);
  output().set_Text(TheBound().hid.EncodingToHexQVX(reply->StringValue(HID::kPacketDataOffset, HID::BytesPerPacket)));
}

void ConsoleWindow::PushButton4_Action(PushButton&) {
  Clear(*this);
  const int32_t address = Address(*this);
  const String data = TheBound().DecodingFromHexQVX(output().Text());
  Ref<MemoryBlock> packet = HID::GetProgramDeviceCommand(TheBound().hid, address, HID::BytesPerPacket, data);
  if (!packet) return UnusablePacketSize();
  Send(*this, packet);
}

void ConsoleWindow::PushButton5_Action(PushButton&) {
  Clear(*this);
  Send(*this, HID::GetProgramCompleteCommand());
}

void ConsoleWindow::PushButton7_Action(PushButton&) {
  Clear(*this);
  Send(*this, HID::GetEraseDeviceCommand());
}

}  // namespace console
