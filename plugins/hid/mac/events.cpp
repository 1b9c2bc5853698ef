// MacHIDQVX: IOKit's callbacks turn each input report and the removal into a
// Carbon event on the main queue; MyEventHandler later raises ReceivedData or
// DeviceRemoved on the object, when the application dispatches events.

#include "mac_hid.h"

#include <cstdlib>
#include <cstring>

namespace machid {
namespace {

namespace host = plugincommon::host;

using ReceivedDataHandler = void (*)(REALobject, REALstring, int32_t);
using DeviceRemovedHandler = void (*)(REALobject, int32_t);

template <typename T>
T Parameter(EventRef event, EventParamName name, EventParamType type) {
  T value{};
  GetEventParameter(event, name, type, nullptr, sizeof value, nullptr, &value);
  return value;
}

// Posts the event and lets go of it; false when it could not be posted.
bool Post(EventRef event) {
  const bool posted = MainEventQueue != nullptr && PostEventToQueue(MainEventQueue, event, kEventPriorityLow) == noErr;
  ReleaseEvent(event);
  return posted;
}

OSStatus RaiseRemoved(EventRef event) {
  const auto result = Parameter<UInt32>(event, kParamResu, typeUInt32);
  auto* instance = Parameter<REALobject>(event, kParamInst, typeVoidPtr);
  if (instance == nullptr) return noErr;
  auto handler = reinterpret_cast<DeviceRemovedHandler>(
      host::GetEventInstance(instance, plugincommon::EventHostWord(MacHIDEvents[1])));
  if (handler == nullptr) return noErr;
  host::REALLockObject(instance);  // the object lives at least as long as its handler runs
  handler(instance, static_cast<int32_t>(result));
  host::REALUnlockObject(instance);
  return noErr;
}

OSStatus RaiseReceived(EventRef event) {
  auto* data = Parameter<unsigned char*>(event, kParamData, typeVoidPtr);
  const auto size = Parameter<UInt32>(event, kParamSize, typeUInt32);
  auto* instance = Parameter<REALobject>(event, kParamInst, typeVoidPtr);
  ReceivedDataHandler handler = nullptr;
  if (instance != nullptr)
    handler = reinterpret_cast<ReceivedDataHandler>(
        host::GetEventInstance(instance, plugincommon::EventHostWord(MacHIDEvents[0])));
  if (handler != nullptr) {
    host::REALLockObject(instance);
    REALstring text = nullptr;
    if (data != nullptr && size > 0) text = plugincommon::BuildStringWithEncoding(data, size, REALEncodingUnknown);
    handler(instance, text, static_cast<int32_t>(size));
    host::REALUnlockString(text);
    host::REALUnlockObject(instance);
  }
  std::free(data);
  return noErr;
}

Boolean NamesInstance(EventRef event, void* instance) {
  if (GetEventClass(event) != kEventClassQVXH) return false;
  if (Parameter<void*>(event, kParamInst, typeVoidPtr) != instance) return false;
  if (GetEventKind(event) == kEventKindReport) std::free(Parameter<void*>(event, kParamData, typeVoidPtr));
  return true;
}

}  // namespace

void ReaderReportCallback(void* target, IOReturn, void*, void*, UInt32 size) {
  MacHIDData* d = DataOf(static_cast<REALobject>(target));
  // IOKit never fills more than the buffer; a larger size would read past it.
  if (size > static_cast<UInt32>(kReportBufferSize)) size = kReportBufferSize;
  void* copy = nullptr;
  if (size > 0) {
    copy = std::calloc(size, 1);
    if (copy != nullptr) std::memcpy(copy, d->ReportBuffer, size);
  }
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassQVXH, kEventKindReport, GetCurrentEventTime(), kEventAttributeNone, &event) !=
      noErr) {
    std::free(copy);
    return;
  }
  SetEventParameter(event, kParamData, typeVoidPtr, sizeof copy, &copy);
  SetEventParameter(event, kParamSize, typeUInt32, sizeof size, &size);
  SetEventParameter(event, kParamInst, typeVoidPtr, sizeof target, &target);
  // The copy belongs to the event once it is posted; an event that never
  // reaches the queue takes it nowhere.
  if (!Post(event)) std::free(copy);
}

void MyIOHIDCallbackFunction(void* target, IOReturn result, void*, void*) {
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassQVXH, kEventKindRemoved, GetCurrentEventTime(), kEventAttributeNone, &event) !=
      noErr)
    return;
  const auto code = static_cast<UInt32>(result);
  SetEventParameter(event, kParamResu, typeUInt32, sizeof code, &code);
  SetEventParameter(event, kParamInst, typeVoidPtr, sizeof target, &target);
  Post(event);
}

OSStatus MyEventHandler(EventHandlerCallRef callRef, EventRef event, void*) {
  if (GetEventClass(event) != kEventClassQVXH) return CallNextEventHandler(callRef, event);
  if (!host::REALinRuntime()) {
    // Nobody after us knows our events: consume them, and the report copy with them.
    if (GetEventKind(event) == kEventKindReport) std::free(Parameter<void*>(event, kParamData, typeVoidPtr));
    if (GetEventKind(event) == kEventKindReport || GetEventKind(event) == kEventKindRemoved) return noErr;
    return CallNextEventHandler(callRef, event);
  }
  switch (GetEventKind(event)) {
    case kEventKindRemoved:
      return RaiseRemoved(event);
    case kEventKindReport:
      return RaiseReceived(event);
    default:
      return CallNextEventHandler(callRef, event);
  }
}

void FlushEventsFor(REALobject instance) {
  if (MainEventQueue != nullptr) FlushSpecificEventsFromQueue(MainEventQueue, NamesInstance, instance);
}

}  // namespace machid
