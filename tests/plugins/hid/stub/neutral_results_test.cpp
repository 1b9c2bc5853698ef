#include <ostream>
#include <gtest/gtest.h>

#include "framework/exceptions.h"
#include "framework/memoryblock.h"
#include "pluginhost/pluginhost.h"

namespace {

using framework::MemoryBlock;
using framework::Object;
using framework::Ref;
using framework::String;
using pluginhost::Method;
using pluginhost::Property;

struct Members {
  pluginhost::Binder b;
  // WinHIDQVX stub
  Method<bool(Ref<Object>)> WinFindFirst = b.method<bool(Ref<Object>)>("WinHIDQVX", "FindFirstDevice as boolean");
  Method<bool(Ref<Object>)> WinFindNext = b.method<bool(Ref<Object>)>("WinHIDQVX", "FindNextDevice as boolean");
  Method<String(Ref<Object>)> WinProduct = b.method<String(Ref<Object>)>("WinHIDQVX", "Product as string");
  Method<String(Ref<Object>)> WinDevicePath = b.method<String(Ref<Object>)>("WinHIDQVX", "DevicePath as string");
  Method<int32_t(Ref<Object>)> WinVendorID = b.method<int32_t(Ref<Object>)>("WinHIDQVX", "VendorID as integer");
  Method<bool(Ref<Object>)> WinConnect = b.method<bool(Ref<Object>)>("WinHIDQVX", "Connect as boolean");
  Method<void(Ref<Object>)> WinDisconnect = b.method<void(Ref<Object>)>("WinHIDQVX", "Disconnect");
  Method<bool(Ref<Object>, int32_t)> WinInstallListener =
      b.method<bool(Ref<Object>, int32_t)>("WinHIDQVX", "InstallListener(PollSize as integer) as boolean");
  Method<int32_t(Ref<Object>, Ref<MemoryBlock>, int32_t, int32_t)> WinSendMemory =
      b.method<int32_t(Ref<Object>, Ref<MemoryBlock>, int32_t, int32_t)>(
          "WinHIDQVX", "SendMessageMemory(data as memoryblock, offset as integer, length as integer) as integer");
  Method<Ref<MemoryBlock>(Ref<Object>, int32_t, int32_t)> WinReadMemory =
      b.method<Ref<MemoryBlock>(Ref<Object>, int32_t, int32_t)>(
          "WinHIDQVX", "ReadMessageMemory(length as integer, timeOut as Integer = 0) as memoryblock");
  Method<Ref<MemoryBlock>(Ref<Object>)> WinPollMemory =
      b.method<Ref<MemoryBlock>(Ref<Object>)>("WinHIDQVX", "PollMemory as memoryblock");
  Property<int32_t> WinLasterror = b.property<int32_t>("WinHIDQVX", "Lasterror as Integer");
  Property<String> WinLasterrorString = b.property<String>("WinHIDQVX", "LasterrorString as String");
  // MacHIDQVX stub
  Method<bool(Ref<Object>)> MacFindFirst = b.method<bool(Ref<Object>)>("MacHIDQVX", "FindFirstDevice as boolean");
  Method<bool(Ref<Object>)> MacFindNext = b.method<bool(Ref<Object>)>("MacHIDQVX", "FindNextDevice as boolean");
  Method<String(Ref<Object>)> MacProduct = b.method<String(Ref<Object>)>("MacHIDQVX", "Product as string");
  Method<void(Ref<Object>)> MacConnect = b.method<void(Ref<Object>)>("MacHIDQVX", "Connect");
  Method<void(Ref<Object>, Ref<MemoryBlock>, int32_t, int32_t)> MacSendMemory =
      b.method<void(Ref<Object>, Ref<MemoryBlock>, int32_t, int32_t)>(
          "MacHIDQVX", "SendMessageMemory(data as memoryblock, offset as integer, length as integer)");
  Method<String(Ref<Object>, int32_t, int32_t, int32_t)> MacRead =
      b.method<String(Ref<Object>, int32_t, int32_t, int32_t)>(
          "MacHIDQVX", "ReadMessage(ReportID as integer, reportType as integer, length as integer) as string");
  Property<int32_t> MacLasterror = b.property<int32_t>("MacHIDQVX", "Lasterror as Integer");
  Property<int32_t> MacTimeOut = b.property<int32_t>("MacHIDQVX", "TimeOut as Integer");
  std::vector<std::string> unresolved = b.bind();
};

Members& m() {
  static Members* members = [] {
    pluginhost::load_plugins(STUB_DIR);
    return new Members;
  }();
  return *members;
}

class StubTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m().unresolved.empty()) << m().unresolved.front();
    win = pluginhost::new_instance("WinHIDQVX");
    mac = pluginhost::new_instance("MacHIDQVX");
    ASSERT_TRUE(win && mac);
    m().WinLasterror.set(win, 7);
    m().MacLasterror.set(mac, 7);
  }
  Ref<Object> win, mac;
};

// Members that do nothing: (what they give is neutral, Lasterror afterwards).
struct Case {
  friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
  const char* name;
  bool (*call)(const Ref<Object>& win, const Ref<Object>& mac);  // true when the result is neutral
  bool mac_class;
  int32_t lasterror;
};

const Case kCases[] = {
    {"WinFindFirstDevice", [](auto& w, auto&) { return !m().WinFindFirst(w); }, false, -1},
    {"WinFindNextDevice", [](auto& w, auto&) { return !m().WinFindNext(w); }, false, 7},
    {"WinProduct", [](auto& w, auto&) { return !m().WinProduct(w).object(); }, false, -1},
    {"WinDevicePath", [](auto& w, auto&) { return !m().WinDevicePath(w).object(); }, false, 7},
    {"WinVendorID", [](auto& w, auto&) { return m().WinVendorID(w) == 0; }, false, -1},
    {"WinConnect", [](auto& w, auto&) { return !m().WinConnect(w); }, false, -1},
    {"WinDisconnect", [](auto& w, auto&) { return m().WinDisconnect(w), true; }, false, 0},
    {"WinInstallListener", [](auto& w, auto&) { return !m().WinInstallListener(w, 64); }, false, 7},
    {"WinSendNilMemory", [](auto& w, auto&) { return m().WinSendMemory(w, nullptr, 0, 64) == 0; }, false, -1},
    {"WinReadMemory", [](auto& w, auto&) { return !m().WinReadMemory(w, 64, 10); }, false, -1},
    {"WinPollMemory", [](auto& w, auto&) { return !m().WinPollMemory(w); }, false, 7},
    {"WinLasterrorString", [](auto& w, auto&) { return !m().WinLasterrorString.get(w).object(); }, false, 7},
    {"MacFindFirstDevice", [](auto&, auto& c) { return !m().MacFindFirst(c); }, true, -1},
    {"MacFindNextDevice", [](auto&, auto& c) { return !m().MacFindNext(c); }, true, 7},
    {"MacProduct", [](auto&, auto& c) { return !m().MacProduct(c).object(); }, true, -1},
    {"MacConnect", [](auto&, auto& c) { return m().MacConnect(c), true; }, true, -1},
    {"MacSendMemory", [](auto&, auto& c) { return m().MacSendMemory(c, framework::NewMemoryBlock(64), 0, 64), true; },
     true, -1},
    {"MacReadMessage", [](auto&, auto& c) { return !m().MacRead(c, 0, 0, 64).object(); }, true, -1},
};

class NeutralResultTest : public StubTest, public testing::WithParamInterface<Case> {};

TEST_P(NeutralResultTest, DoesNoDeviceWork) {
  EXPECT_TRUE(GetParam().call(win, mac));
  EXPECT_EQ(GetParam().mac_class ? m().MacLasterror.get(mac) : m().WinLasterror.get(win), GetParam().lasterror);
}

INSTANTIATE_TEST_SUITE_P(Members, NeutralResultTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StubTest, MacStubStartsLikeTheWorkingBuild) {
  Ref<Object> fresh = pluginhost::new_instance("MacHIDQVX");
  EXPECT_EQ(m().MacTimeOut.get(fresh), 500);
  EXPECT_EQ(m().MacLasterror.get(fresh), 0);
}

TEST_F(StubTest, MacStubRaisesForANilBlockAndLeavesLasterror) {
  try {
    m().MacSendMemory(mac, nullptr, 0, 64);
    FAIL() << "no exception";
  } catch (const framework::NilObjectException& e) {
    EXPECT_EQ(framework::String(e.Message()).bytes(), "Memoryblock is nil");
  }
  EXPECT_EQ(m().MacLasterror.get(mac), 7);
}

}  // namespace
