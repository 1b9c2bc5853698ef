#include "framework/object.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/memoryblock.h"

namespace framework {
namespace {

TEST(ObjectTest, FrameworkClassesAreFoundByName) {
  for (const char* name :
       {"Object", "String", "MemoryBlock", "RuntimeException", "NilObjectException", "OutOfMemoryException",
        "OutOfBoundsException", "UnsupportedOperationException", "Timer", "FolderItem", "TextOutputStream"}) {
    const ClassRecord* cls = find_class(name);
    ASSERT_NE(cls, nullptr) << name;
    EXPECT_EQ(cls->name(), name);
    EXPECT_TRUE(cls->is_a(Object::class_record()));
  }
  EXPECT_EQ(find_class("NoSuchClass"), nullptr);
  EXPECT_TRUE(find_class("NilObjectException")->is_a(ExceptionObject::class_record()));
}

TEST(ObjectTest, InstanceDataIsAlignedZeroedAndPerClass) {
  ClassRecord& base = define_class("TestPluginBase", nullptr, 13);
  ClassRecord& derived = define_class("TestPluginDerived", &base, 8);
  EXPECT_EQ(base.superclass(), &Object::class_record());
  EXPECT_EQ(find_class("TestPluginDerived"), &derived);
  EXPECT_EQ(base.data_offset() % 16, 0u);
  EXPECT_GE(base.data_offset(), sizeof(Object));
  EXPECT_EQ(derived.data_offset() % 16, 0u);
  EXPECT_GE(derived.data_offset(), base.data_offset() + base.data_size());

  auto object = Ref<Object>::adopt(derived.create());
  ASSERT_TRUE(object);
  EXPECT_EQ(object->reference_count(), 1);
  EXPECT_EQ(&object->object_class(), &derived);
  EXPECT_TRUE(object->is_a(base));
  auto* base_data = static_cast<unsigned char*>(object->instance_data(base));
  auto* derived_data = static_cast<unsigned char*>(object->instance_data(derived));
  ASSERT_NE(base_data, nullptr);
  ASSERT_NE(derived_data, nullptr);
  EXPECT_EQ(base_data, reinterpret_cast<unsigned char*>(object.get()) + base.data_offset());
  EXPECT_EQ(reinterpret_cast<uintptr_t>(derived_data) % 16, 0u);
  for (std::size_t i = 0; i < 13; ++i) EXPECT_EQ(base_data[i], 0);
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(derived_data[i], 0);
  std::memset(base_data, 0xAB, 13);
  std::memset(derived_data, 0xCD, 8);  // must not disturb the base's data
  EXPECT_EQ(base_data[12], 0xAB);

  ClassRecord& unrelated = define_class("TestPluginOther", nullptr, 4);
  EXPECT_EQ(object->instance_data(unrelated), nullptr);
}

TEST(ObjectTest, HooksRunInOrderAndOnce) {
  std::vector<std::string> calls;
  ClassRecord& base = define_class("TestHookBase", nullptr, 4);
  ClassRecord& derived = define_class("TestHookDerived", &base, 4);
  base.set_constructor([&](Object&) { calls.push_back("base+"); });
  derived.set_constructor([&](Object& o) {
    calls.push_back("derived+");
    // A hook that takes and drops a reference must not end the object early.
    Ref<Object> extra(&o);
  });
  base.set_destructor([&](Object&) { calls.push_back("base-"); });
  derived.set_destructor([&](Object& o) {
    calls.push_back("derived-");
    Ref<Object> extra(&o);
  });
  std::size_t before = live_object_count();
  {
    auto object = Ref<Object>::adopt(derived.create());
    ASSERT_TRUE(object);
    EXPECT_EQ(live_object_count(), before + 1);
    Ref<Object> copy = object;
    EXPECT_EQ(object->reference_count(), 2);
  }
  EXPECT_EQ(live_object_count(), before);
  EXPECT_EQ(calls, (std::vector<std::string>{"base+", "derived+", "derived-", "base-"}));
}

TEST(ObjectTest, DisposingLiveObjectsRunsDestructorsOnceAndKeepsMemory) {
  int destructed = 0;
  ClassRecord& cls = define_class("TestDisposed", nullptr, 16);
  cls.set_destructor([&](Object&) { ++destructed; });
  auto object = Ref<Object>::adopt(cls.create());
  ASSERT_TRUE(object);
  dispose_live_objects();
  EXPECT_EQ(destructed, 1);
  EXPECT_EQ(object->reference_count(), 1);  // still usable
  object = nullptr;
  EXPECT_EQ(destructed, 1);
}

TEST(ObjectTest, NilRefRaisesNilObjectException) {
  Ref<MemoryBlock> nothing;
  EXPECT_THROW(nothing->Size(), NilObjectException);
  EXPECT_THROW(*nothing, NilObjectException);
  try {
    nothing->Size();
  } catch (const RuntimeException& e) {
    EXPECT_EQ(e.class_name(), "NilObjectException");
    EXPECT_EQ(e.ErrorNumber(), 0);
  }
}

TEST(ObjectTest, ObjectsAreMadeOnlyByTheFramework) {
  struct Stray : Object {};
  EXPECT_THROW(Stray stray, std::logic_error);
}

TEST(ObjectTest, RefCastChecksTheType) {
  Ref<Object> block = NewMemoryBlock(1);
  EXPECT_TRUE(ref_cast<MemoryBlock>(block));
  EXPECT_FALSE(ref_cast<ExceptionObject>(block));
}

template <class E>
bool throws_as(const Ref<Object>& object) {
  try {
    raise_exception(object);
  } catch (const E&) {
    return true;
  } catch (...) {
  }
  return false;
}

bool throws_plain_runtime(const Ref<Object>& object) {
  return !throws_as<NilObjectException>(object) && !throws_as<OutOfMemoryException>(object) &&
         !throws_as<OutOfBoundsException>(object) && !throws_as<UnsupportedOperationException>(object) &&
         throws_as<RuntimeException>(object);
}

struct RaiseCase {
  const char* class_name;
  bool (*thrown_as_expected)(const Ref<Object>&);
  friend void PrintTo(const RaiseCase& c, std::ostream* os) { *os << c.class_name; }
};

class RaiseExceptionTest : public ::testing::TestWithParam<RaiseCase> {};

TEST_P(RaiseExceptionTest, ThrowsTheTypeOfTheObjectsClass) {
  const RaiseCase& c = GetParam();
  const ClassRecord* cls = find_class(c.class_name);
  ASSERT_NE(cls, nullptr);
  auto object = Ref<Object>::adopt(cls->create());
  ASSERT_TRUE(object);
  ref_cast<ExceptionObject>(object)->Message = "Failed";
  ref_cast<ExceptionObject>(object)->ErrorNumber = 7;
  try {
    raise_exception(object);
    FAIL() << "nothing thrown";
  } catch (const RuntimeException& e) {
    EXPECT_EQ(e.object(), ref_cast<ExceptionObject>(object));
    EXPECT_EQ(e.class_name(), c.class_name);
    EXPECT_EQ(e.Message(), String("Failed"));
    EXPECT_EQ(e.ErrorNumber(), 7);
  }
  EXPECT_TRUE(c.thrown_as_expected(object));
}

const char* plugin_exception_class() {
  static ClassRecord& cls = define_class("TestPluginNilException", &NilObjectExceptionClass());
  return cls.name().c_str();
}

INSTANTIATE_TEST_SUITE_P(Cases, RaiseExceptionTest,
                         ::testing::Values(RaiseCase{"NilObjectException", throws_as<NilObjectException>},
                                           RaiseCase{"OutOfMemoryException", throws_as<OutOfMemoryException>},
                                           RaiseCase{"OutOfBoundsException", throws_as<OutOfBoundsException>},
                                           RaiseCase{"UnsupportedOperationException",
                                                     throws_as<UnsupportedOperationException>},
                                           RaiseCase{"RuntimeException", throws_plain_runtime},
                                           RaiseCase{plugin_exception_class(), throws_as<NilObjectException>}));

TEST(RaiseExceptionTest, NonExceptionObjectsAreRejected) {
  EXPECT_THROW(raise_exception(nullptr), NilObjectException);
  EXPECT_THROW(raise_exception(NewMemoryBlock(1)), UnsupportedOperationException);
}

}  // namespace
}  // namespace framework
