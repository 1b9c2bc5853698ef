#pragma once
// A Carbon event: class, kind, time and typed parameters, reference counted.

#include "carbon/carbon.h"

#include <map>
#include <vector>

struct OpaqueEventRef {
  struct Parameter {
    EventParamType type;
    std::vector<unsigned char> bytes;
  };
  UInt32 event_class = 0;
  UInt32 event_kind = 0;
  EventTime when = 0;
  EventAttributes attributes = 0;
  int refs = 1;
  bool queued = false;
  std::map<EventParamName, Parameter> parameters;
};

namespace carbon {
void retain(EventRef event);
}
