#pragma once
// Leaves the process-wide queue and handler list as each test found them.

#include "carbon/carbon.h"

#include <gtest/gtest.h>

#include <vector>

namespace carbon_test {

constexpr UInt32 code(const char (&s)[5]) {
  return (UInt32(UInt8(s[0])) << 24) | (UInt32(UInt8(s[1])) << 16) | (UInt32(UInt8(s[2])) << 8) | UInt32(UInt8(s[3]));
}

class CarbonTest : public testing::Test {
 protected:
  void TearDown() override {
    FlushSpecificEventsFromQueue(
        GetMainEventQueue(), [](EventRef, void*) -> Boolean { return true; }, nullptr);
    for (EventHandlerRef h : handlers_) RemoveEventHandler(h);
  }

  EventHandlerRef install(EventHandlerUPP handler, std::vector<EventTypeSpec> types, void* user = nullptr) {
    EventHandlerRef ref = nullptr;
    EXPECT_EQ(InstallEventHandler(GetApplicationEventTarget(), handler, types.size(), types.data(), user, &ref), noErr);
    handlers_.push_back(ref);
    return ref;
  }

  static EventRef make(const char (&cls)[5], const char (&kind)[5]) {
    EventRef e = nullptr;
    EXPECT_EQ(CreateEvent(nullptr, code(cls), code(kind), GetCurrentEventTime(), kEventAttributeNone, &e), noErr);
    return e;
  }

  // Posts the event and drops the creator's reference, as posting code does.
  static void post(EventRef e, EventPriority priority = kEventPriorityLow) {
    EXPECT_EQ(PostEventToQueue(GetMainEventQueue(), e, priority), noErr);
    ReleaseEvent(e);
  }

 private:
  std::vector<EventHandlerRef> handlers_;
};

}  // namespace carbon_test
