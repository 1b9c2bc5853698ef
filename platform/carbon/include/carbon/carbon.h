#pragma once
// The Carbon Event Manager calls the HID plug-in and the device link make:
// events with four-character classes and kinds and typed parameters, the main
// event queue with priorities, handlers on the application target with
// CallNextEventHandler, and WaitNextEvent. C-compatible.
//
// The main event queue is dispatched on the main run loop (iokit/main_run_loop.h):
// posting an event asks the loop for a turn that dispatches it, and
// WaitNextEvent dispatches it at once. Main thread only; nothing here locks.

#include "iokit/corefoundation.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef SInt32 OSStatus;
typedef UInt32 OSType;
typedef OSType EventParamName;
typedef OSType EventParamType;
typedef UInt32 EventAttributes;
typedef double EventTime;
typedef SInt16 EventPriority;
typedef unsigned long ItemCount;
typedef unsigned long ByteCount;
typedef UInt16 EventMask;
typedef struct OpaqueEventRef* EventRef;
typedef struct OpaqueEventQueueRef* EventQueueRef;
typedef struct OpaqueEventTargetRef* EventTargetRef;
typedef struct OpaqueEventHandlerRef* EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef* EventHandlerCallRef;
typedef struct OpaqueRgnHandle* RgnHandle;

typedef OSStatus (*EventHandlerUPP)(EventHandlerCallRef callRef, EventRef event, void* userData);
typedef Boolean (*EventComparatorUPP)(EventRef event, void* compareData);

typedef struct EventTypeSpec {
  UInt32 eventClass;
  UInt32 eventKind;
} EventTypeSpec;

#pragma pack(push, 2)
typedef struct Point {
  SInt16 v;
  SInt16 h;
} Point;
// The classic event record; WaitNextEvent fills it with a null event.
typedef struct EventRecord {
  UInt16 what;
  UInt32 message;
  UInt32 when;
  Point where;
  UInt16 modifiers;
} EventRecord;
#pragma pack(pop)

enum { nullEvent = 0 };

enum {
  noErr = 0,
  paramErr = -50,
  errAECoercionFail = -1700,
  eventAlreadyPostedErr = -9860,
  eventParameterNotFoundErr = -9870,
  eventNotHandledErr = -9874,
};

enum {
  kEventPriorityLow = 0,
  kEventPriorityStandard = 1,
  kEventPriorityHigh = 2,
};

enum { kEventAttributeNone = 0 };

// Parameter types: four characters, the first in the most significant byte.
#define typeWildCard ((EventParamType)0x2A2A2A2A) /* '****' */
#define typeVoidPtr ((EventParamType)0x70747220)  /* 'ptr ' */
#define typeUInt32 ((EventParamType)0x6D61676E)   /* 'magn' */

// A new event with one reference, which the caller releases.
OSStatus CreateEvent(CFAllocatorRef allocator, UInt32 eventClass, UInt32 eventKind, EventTime when,
                     EventAttributes flags, EventRef* outEvent);
void ReleaseEvent(EventRef event);
UInt32 GetEventClass(EventRef event);
UInt32 GetEventKind(EventRef event);
// Seconds on a steady clock.
EventTime GetCurrentEventTime(void);

// Stores a copy of size bytes under name, replacing an earlier value.
OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, ByteCount size, const void* data);
// Copies at most bufferSize bytes of the value and tells its whole size.
// eventParameterNotFoundErr when the event has no such parameter;
// errAECoercionFail when desiredType is neither its type nor typeWildCard.
// outActualType, outActualSize and outData may be nil.
OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize, ByteCount* outActualSize,
                           void* outData);

EventQueueRef GetMainEventQueue(void);
// The queue keeps its own reference until the event is dispatched or flushed.
// Higher priorities are dispatched first, equal ones in the order of posting.
// eventAlreadyPostedErr for an event that is waiting already.
OSStatus PostEventToQueue(EventQueueRef queue, EventRef event, EventPriority priority);
// Removes every waiting event for which comparator gives true.
OSStatus FlushSpecificEventsFromQueue(EventQueueRef queue, EventComparatorUPP comparator, void* compareData);

EventTargetRef GetApplicationEventTarget(void);
// The handler sees the events of the listed types; the newest handler runs
// first, and an older one runs when a newer one returns eventNotHandledErr or
// calls CallNextEventHandler. outRef may be nil.
OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef);
OSStatus RemoveEventHandler(EventHandlerRef handler);
// Runs the next older handler for the event; eventNotHandledErr when there is none.
OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event);

// One turn: the main run loop's ready sources first (reports read from their
// channels, removals), then the events waiting in the main queue, each
// dispatched to its handlers. It hands no event back: the result is false and
// theEvent, when given, holds a null event. The mask and the sleep time do not
// change this; the call never sleeps.
Boolean WaitNextEvent(EventMask eventMask, EventRecord* theEvent, UInt32 sleep, RgnHandle mouseRgn);

#ifdef __cplusplus
}
#endif
