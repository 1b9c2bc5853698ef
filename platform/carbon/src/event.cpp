#include "event.h"

#include <chrono>
#include <cstring>

namespace carbon {
void retain(EventRef event) { ++event->refs; }
}  // namespace carbon

extern "C" {

OSStatus CreateEvent(CFAllocatorRef, UInt32 eventClass, UInt32 eventKind, EventTime when, EventAttributes flags,
                     EventRef* outEvent) {
  if (outEvent == nullptr) return paramErr;
  auto* event = new OpaqueEventRef;
  event->event_class = eventClass;
  event->event_kind = eventKind;
  event->when = when;
  event->attributes = flags;
  *outEvent = event;
  return noErr;
}

void ReleaseEvent(EventRef event) {
  if (event != nullptr && --event->refs == 0) delete event;
}

UInt32 GetEventClass(EventRef event) { return event != nullptr ? event->event_class : 0; }
UInt32 GetEventKind(EventRef event) { return event != nullptr ? event->event_kind : 0; }

EventTime GetCurrentEventTime(void) {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, ByteCount size, const void* data) {
  if (event == nullptr || (data == nullptr && size > 0)) return paramErr;
  auto& p = event->parameters[name];
  p.type = type;
  const auto* bytes = static_cast<const unsigned char*>(data);
  p.bytes.assign(bytes, bytes + size);
  return noErr;
}

OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize, ByteCount* outActualSize,
                           void* outData) {
  if (event == nullptr) return paramErr;
  auto it = event->parameters.find(name);
  if (it == event->parameters.end()) return eventParameterNotFoundErr;
  const auto& p = it->second;
  if (desiredType != typeWildCard && desiredType != p.type) return errAECoercionFail;
  if (outActualType != nullptr) *outActualType = p.type;
  if (outActualSize != nullptr) *outActualSize = p.bytes.size();
  if (outData != nullptr) {
    const ByteCount n = bufferSize < p.bytes.size() ? bufferSize : p.bytes.size();
    if (n > 0) std::memcpy(outData, p.bytes.data(), n);
  }
  return noErr;
}

}  // extern "C"
