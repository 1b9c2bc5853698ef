#include <ostream>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "plugin_interface.h"

namespace {

// What a file registered, as text: one line per record.
std::vector<std::string> Describe(const REALclassDefinition* d) {
  std::vector<std::string> recorded;
  recorded.push_back(std::string("class ") + d->name + " size " + std::to_string(d->dataSize) + " flags " +
                     std::to_string(d->flags) + (d->superName ? " super" : "") +
                     (d->constructor ? " constructor" : "") + (d->destructor ? " destructor" : ""));
  for (REALsword i = 0; i < d->propertyCount; ++i) {
    const REALproperty& p = d->properties[i];
    bool plain = p.getter == REALstandardAccessor;
    recorded.push_back(std::string("property ") + p.name + " " + p.type + " flags " + std::to_string(p.flags) +
                       (plain ? " field " + std::to_string(p.param) : " getter") +
                       (p.setter == nullptr ? " read-only" : ""));
  }
  for (REALsword i = 0; i < d->methodCount; ++i) {
    const REALmethodDefinition& m = d->methods[i];
    recorded.push_back(std::string("method ") + m.declaration + " flags " + std::to_string(m.flags) +
                       (m.setter ? " setter" : "") + (m.function == d->destructor ? " (destructor)" : ""));
  }
  for (REALsword i = 0; i < d->eventCount; ++i) recorded.push_back(std::string("event ") + d->events[i].declaration);
  for (REALsword i = 0; i < d->constantCount; ++i)
    recorded.push_back(std::string("constant ") + d->constants[i].declaration);
  return recorded;
}

std::vector<std::string> RegistrationOf(const char* file) {
  fakehost::Host host;
  try {
    host.Load(file);
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
  std::vector<std::string> recorded;
  for (const REALclassDefinition* d : host.classes) {
    for (std::string& line : Describe(d)) recorded.push_back(std::move(line));
  }
  return recorded;
}

struct Pair {
  friend void PrintTo(const Pair& c, std::ostream* os) { *os << c.name; }
  const char* name;
  const char* working;
  const char* stub;
};

class SameRegistrationTest : public testing::TestWithParam<Pair> {};

TEST_P(SameRegistrationTest, StubRegistersWhatTheWorkingBuildRegisters) {
  std::vector<std::string> working = RegistrationOf(GetParam().working);
  ASSERT_FALSE(working.empty());
  EXPECT_EQ(RegistrationOf(GetParam().stub), working);
}

INSTANTIATE_TEST_SUITE_P(Classes, SameRegistrationTest,
                         testing::Values(Pair{"WinHIDQVX", WIN_WORKING, WIN_STUB},
                                         Pair{"MacHIDQVX", MAC_WORKING, MAC_STUB}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WinHIDRegistrationTest, RegistersTheDocumentedClass) {
  std::vector<std::string> r = RegistrationOf(WIN_WORKING);
  ASSERT_EQ(r.size(), 1u + 10 + 19);
  EXPECT_EQ(r[0], std::string("class WinHIDQVX size ") + (sizeof(void*) == 4 ? "1104" : "1120") +
                      " flags 4 constructor destructor");
  EXPECT_EQ(r[2], "property LasterrorString String flags 6 getter read-only");
  EXPECT_EQ(r[11], "method PollString as string flags 4");
  EXPECT_EQ(r[13], "method Close flags 4 (destructor)");
  EXPECT_EQ(r[29], "method ReadMessageMemory(length as integer, timeOut as Integer = 0) as memoryblock flags 4");
}

}  // namespace
