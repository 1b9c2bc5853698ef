#include "carbon_fixture.h"

#include <cstdint>
#include <string>

namespace {

using carbon_test::CarbonTest;
using carbon_test::code;

struct Log {
  std::vector<std::string> lines;
};

std::string name_of(EventRef e) {
  UInt32 n = 0;
  GetEventParameter(e, code("name"), typeUInt32, nullptr, sizeof n, nullptr, &n);
  return std::to_string(n);
}

EventRef numbered(const char (&cls)[5], const char (&kind)[5], UInt32 n) {
  EventRef e = nullptr;
  CreateEvent(nullptr, code(cls), code(kind), 0, kEventAttributeNone, &e);
  SetEventParameter(e, code("name"), typeUInt32, sizeof n, &n);
  return e;
}

OSStatus record(EventHandlerCallRef, EventRef e, void* user) {
  static_cast<Log*>(user)->lines.push_back(name_of(e));
  return noErr;
}

TEST_F(CarbonTest, ParametersAreTypedCopies) {
  EventRef e = make("QVXH", "HIDe");
  int payload = 7;
  void* ptr = &payload;
  ASSERT_EQ(SetEventParameter(e, code("Data"), typeVoidPtr, sizeof ptr, &ptr), noErr);

  void* back = nullptr;
  EventParamType type = 0;
  ByteCount size = 0;
  EXPECT_EQ(GetEventParameter(e, code("Data"), typeVoidPtr, &type, sizeof back, &size, &back), noErr);
  EXPECT_EQ(back, ptr);
  EXPECT_EQ(type, typeVoidPtr);
  EXPECT_EQ(size, sizeof ptr);

  UInt32 n = 0;
  EXPECT_EQ(GetEventParameter(e, code("Data"), typeUInt32, nullptr, sizeof n, nullptr, &n), errAECoercionFail);
  EXPECT_EQ(GetEventParameter(e, code("Size"), typeUInt32, nullptr, sizeof n, nullptr, &n), eventParameterNotFoundErr);
  std::uint16_t small = 0;
  EXPECT_EQ(GetEventParameter(e, code("Data"), typeWildCard, nullptr, sizeof small, &size, &small), noErr);
  EXPECT_EQ(size, sizeof ptr);  // the whole size is told, only what fits is copied
  EXPECT_EQ(GetEventClass(e), code("QVXH"));
  EXPECT_EQ(GetEventKind(e), code("HIDe"));
  ReleaseEvent(e);
}

TEST_F(CarbonTest, DispatchesHigherPrioritiesFirstAndEqualOnesInOrder) {
  Log log;
  install(record, {{code("test"), code("ordr")}}, &log);
  post(numbered("test", "ordr", 1), kEventPriorityLow);
  post(numbered("test", "ordr", 2), kEventPriorityHigh);
  post(numbered("test", "ordr", 3), kEventPriorityLow);
  post(numbered("test", "ordr", 4), kEventPriorityStandard);
  post(numbered("test", "ordr", 5), kEventPriorityHigh);
  WaitNextEvent(0, nullptr, 0, nullptr);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"2", "5", "4", "1", "3"}));
}

TEST_F(CarbonTest, AnEventWaitingAlreadyCannotBePostedAgain) {
  EventRef e = make("test", "twic");
  EXPECT_EQ(PostEventToQueue(GetMainEventQueue(), e, kEventPriorityLow), noErr);
  EXPECT_EQ(PostEventToQueue(GetMainEventQueue(), e, kEventPriorityLow), eventAlreadyPostedErr);
  ReleaseEvent(e);
}

struct Chain {
  std::vector<std::string> calls;
};

OSStatus newest_passes_on(EventHandlerCallRef call, EventRef e, void* user) {
  auto* chain = static_cast<Chain*>(user);
  chain->calls.push_back("newest");
  if (GetEventClass(e) != code("mine")) return CallNextEventHandler(call, e);
  return noErr;
}

OSStatus middle_not_handled(EventHandlerCallRef, EventRef, void* user) {
  static_cast<Chain*>(user)->calls.push_back("middle");
  return eventNotHandledErr;
}

OSStatus oldest(EventHandlerCallRef call, EventRef e, void* user) {
  static_cast<Chain*>(user)->calls.push_back("oldest " + name_of(e));
  EXPECT_EQ(CallNextEventHandler(call, e), eventNotHandledErr);  // nobody is older
  return noErr;
}

TEST_F(CarbonTest, HandlersRunNewestFirstAndPassEventsOnUnchanged) {
  Chain chain;
  install(oldest, {{code("othr"), code("kind")}}, &chain);
  install(middle_not_handled, {{code("othr"), code("kind")}}, &chain);
  install(newest_passes_on, {{code("mine"), code("kind")}, {code("othr"), code("kind")}}, &chain);

  post(numbered("othr", "kind", 9));
  WaitNextEvent(0, nullptr, 0, nullptr);
  // Each handler runs once although the newest one called the next itself.
  EXPECT_EQ(chain.calls, (std::vector<std::string>{"newest", "middle", "oldest 9"}));

  chain.calls.clear();
  post(numbered("mine", "kind", 1));
  post(numbered("none", "kind", 2));  // nobody listens; it is dropped
  WaitNextEvent(0, nullptr, 0, nullptr);
  EXPECT_EQ(chain.calls, (std::vector<std::string>{"newest"}));
}

TEST_F(CarbonTest, ARemovedHandlerSeesNothingMore) {
  Log log;
  EventHandlerRef h = install(record, {{code("test"), code("gone")}}, &log);
  EXPECT_EQ(RemoveEventHandler(h), noErr);
  EXPECT_EQ(RemoveEventHandler(h), paramErr);
  post(numbered("test", "gone", 1));
  WaitNextEvent(0, nullptr, 0, nullptr);
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(CarbonTest, FlushRemovesOnlyTheMatchingEvents) {
  Log log;
  install(record, {{code("test"), code("flsh")}}, &log);
  post(numbered("test", "flsh", 1));
  post(numbered("test", "flsh", 2));
  post(numbered("test", "flsh", 3));
  auto even = [](EventRef e, void*) -> Boolean { return name_of(e) == "2"; };
  EXPECT_EQ(FlushSpecificEventsFromQueue(GetMainEventQueue(), even, nullptr), noErr);
  WaitNextEvent(0, nullptr, 0, nullptr);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"1", "3"}));
}

}  // namespace
