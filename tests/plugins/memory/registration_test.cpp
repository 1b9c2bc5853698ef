#include <ostream>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"

namespace {

using fakehost::Host;

constexpr const char* kFillBytes = "FillBytesQVX(offset as integer, count as integer, value as integer)";
constexpr const char* kNewFromPtr = "NewMemoryBlockFromPtrQVX(ptr as integer) as memoryblock";

// The extension's methods in registration order; the two with an assignment
// form carry a setter.
const char* const kExtensionDeclarations[] = {
    "_Calc3te(Source1 as Integer, Source2 as Integer, Source3 as Integer, Source4 as Integer, Dest1 as Integer, "
    "Dest2 as Integer, Dest3 as Integer, Dest4 as Integer, Tolerance as double, offsetByte as Integer = 0, "
    "Length as integer = 0)",
    "_Calc2te(iByteMax as integer = 255, offsetByte as Integer = 0, Length as integer = 0, WithSum0 as boolean = true)",
    "_CalcLogSweepTableQVX(offsetByte as Integer, Z as integer, lw1 as integer, lw2 as integer, T as double)",
    "_ConvertPolarToCartesian(offsetByte as Integer, Z as integer, polarData as Memoryblock)",
    "_ConvertCartesianToPolar(offsetByte as Integer, Z as integer, CartesianData as Memoryblock)",
    "MultiplyUInt16QVX(Factor as double, offsetByte as Integer = 0, lengthBytes as integer = 0)",
    "MultiplyUInt8QVX(Factor as double, offsetByte as Integer = 0, lengthBytes as integer = 0)",
    "MinQVX(firstMem as Ptr, secondMem as Ptr, BitSize as integer = 8, Signed as Boolean = false, "
    "offsetByte as Integer = 0, lengthBytes as integer = 0) as boolean",
    "MaxQVX(firstMem as Ptr, secondMem as Ptr, BitSize as integer = 8, Signed as Boolean = false, "
    "offsetByte as Integer = 0, lengthBytes as integer = 0) as boolean",
    "MirrorBitsInBytesQVX(offsetByte as Integer, lengthByte as integer)",
    "MirrorBytesQVX(offsetByte as Integer = 0, lengthByte as integer = -1)",
    "MirrorBitsQVX(offsetBit as Integer, lengthBit as integer)",
    "AddressQVX(offset as Int64 = 0) as UInt64",
    "AddressPtrQVX(offset as Int64 = 0) as Ptr",
    "OSTypeQVX(offset as Integer) as String",
    "GetStringQVX(offset as Integer, numBytes as Integer) as String",
    "SetStringQVX(str as String, offset as Integer)",
    "SwapBytesQVX(offset as Integer, numBytes as Integer)",
    "SwapBytes16QVX(offset as Integer, numBytes as Integer)",
    "SwapBytes32QVX(offset as Integer, numBytes as Integer)",
    "BytesEqualQVX(srcOfs as Integer, numBytes as Integer, destBlk as MemoryBlock, destOfs as Integer) as Boolean",
    "BytesZeroQVX(srcOfs as Integer, numBytes as Integer) as Boolean",
    "FindNotByteQVX(srcOfs as Integer, numBytes as Integer, byteValue as integer) as integer",
    "FindByteQVX(srcOfs as Integer, numBytes as Integer, byteValue as integer) as integer",
    "CopyBytesQVX(srcOfs as Integer, numBytes as Integer, destOfs as Integer)",
    "CopyBytesQVX(srcOfs as Integer, numBytes as Integer, destBlk as MemoryBlock, destOfs as Integer)",
    "CopyBytesToMacPtrQVX(srcOfs as Integer, numBytes as Integer, destPtr as Ptr)",
    "CopyBytesFromMacPtrQVX(srcPtr as Ptr, numBytes as Integer, destOfs as Integer)",
    "CopyBytesToMacHandleQVX(srcOfs as Integer, numBytes as Integer, destHandle as Integer)",
    "CopyBytesFromMacHandleQVX(srcHandle as Integer, numBytes as Integer, destOfs as Integer)",
    "FindStringQVX(srcOfs as Integer, maxBytes as Integer, target as String) as Integer",
    "FindBytesQVX(srcOfs as Integer, maxBytes as Integer, target as MemoryBlock, targOfs as Integer, "
    "targLen as Integer) as Integer",
    "FSSpecQVX(offset as Integer) as FolderItem",
    "MidQVX(offset as integer) as Memoryblock",
    "MidQVX(offset As Integer, length As Integer) as Memoryblock",
    "LeftQVX(length as integer) as Memoryblock",
    "RightQVX(length As Integer) as Memoryblock",
    "AppendQVX(other as Memoryblock) as Memoryblock",
    kFillBytes,
    "InvertBytesQVX(offset as integer, count as integer)",
    "CopyNthBytesQVX(source as memoryblock, SourceOffsetBytes as integer, DestinationOffsetBytes as integer, "
    "ByteCount as integer, StepCount as integer, NumberOfSteps as integer) as boolean",
    "CopyNthBitsQVX(source as memoryblock, SourceOffsetBits as integer, DestinationOffsetBits as integer, "
    "BitCount as integer, StepCount as integer, NumberOfSteps as integer) as boolean",
    "ExpandBitsQVX(dest as memoryblock, SourceByteCount as integer, LowValue as integer = 0, "
    "HighValue as integer = 255) as boolean",
};

// One table row as the host sees it, whatever the level's record form.
struct PropertyRow {
  std::string name, type;
  REALword flags;
  bool has_getter, has_setter;
  REALsword param;
  bool operator==(const PropertyRow&) const = default;
};
struct MethodRow {
  std::string declaration;
  REALword flags;
  bool has_function, has_setter;
  bool operator==(const MethodRow&) const = default;
};

template <typename Record>
std::vector<PropertyRow> PropertiesOf(const REALclassDefinition* d) {
  std::vector<PropertyRow> rows;
  auto* records = reinterpret_cast<const Record*>(d->properties);
  for (REALsword i = 0; i < d->propertyCount; ++i) {
    const Record& r = records[i];
    rows.push_back({r.name, r.type, r.flags, r.getter != nullptr, r.setter != nullptr, r.param});
  }
  return rows;
}

template <typename Record>
std::vector<MethodRow> MethodsOf(const REALclassDefinition* d) {
  std::vector<MethodRow> rows;
  auto* records = reinterpret_cast<const Record*>(d->methods);
  for (REALsword i = 0; i < d->methodCount; ++i) {
    const Record& r = records[i];
    rows.push_back({r.declaration, r.flags, r.function != nullptr, r.setter != nullptr});
  }
  return rows;
}

std::vector<MethodRow> ExtensionMethods() {
  std::vector<MethodRow> rows;
  for (const char* declaration : kExtensionDeclarations) {
    std::string text = declaration;
    bool assignable = text.rfind("OSTypeQVX(", 0) == 0 || text.rfind("FSSpecQVX(", 0) == 0;
    rows.push_back({text, 4, true, assignable});
  }
  return rows;
}

struct LevelCase {
  friend void PrintTo(const LevelCase& c, std::ostream* os) { *os << "version " << c.version << " level " << c.level; }
  double version;
  int32_t level;
};

class QVXMemoryRegistrationTest : public ::testing::TestWithParam<LevelCase> {
 protected:
  std::vector<PropertyRow> Properties(const REALclassDefinition* d) const {
    return host.level == 9 ? PropertiesOf<REALproperty9>(d) : PropertiesOf<REALproperty>(d);
  }
  std::vector<MethodRow> Methods(const REALclassDefinition* d) const {
    return host.level == 9 ? MethodsOf<REALmethodDefinition9>(d) : MethodsOf<REALmethodDefinition>(d);
  }

  Host host;
};

TEST_P(QVXMemoryRegistrationTest, RegistersExtensionThenClassThenGlobalMethod) {
  host.version = GetParam().version;
  host.LoadFreshCopy(QVXMEMORY_PATH);
  EXPECT_EQ(host.calls, (std::vector<std::string>{
                            "RegisterPluginVersion " + std::to_string(GetParam().level),
                            "PluginRegisterClassExtension MemoryBlock",
                            "PluginRegisterClass MemoryBlockQVX",
                            std::string("PluginRegisterMethod ") + kNewFromPtr,
                        }));
}

TEST_P(QVXMemoryRegistrationTest, RecordsInTheLevelsForm) {
  host.version = GetParam().version;
  host.LoadFreshCopy(QVXMEMORY_PATH);
  const REALclassDefinition* ext = host.Extension("MemoryBlock");
  const REALclassDefinition* cls = host.Class("MemoryBlockQVX");
  ASSERT_NE(ext, nullptr);
  ASSERT_NE(cls, nullptr);

  EXPECT_EQ(ext->version, static_cast<REALword>(GetParam().level));
  EXPECT_EQ(ext->superName, nullptr);
  EXPECT_EQ(ext->dataSize, 0u);
  EXPECT_EQ(ext->constructor, nullptr);
  EXPECT_EQ(ext->destructor, nullptr);
  EXPECT_EQ(ext->flags, 4u);
  EXPECT_EQ(ext->eventCount, 0);
  EXPECT_EQ(ext->constantCount, 0);
  EXPECT_EQ(Properties(ext), (std::vector<PropertyRow>{{"BytesQVX", "Integer", 6, true, false, 0}}));
  EXPECT_EQ(Methods(ext), ExtensionMethods());

  EXPECT_EQ(cls->version, static_cast<REALword>(GetParam().level));
  EXPECT_EQ(cls->superName, nullptr);
  EXPECT_EQ(cls->dataSize, 32u);
  EXPECT_EQ(cls->constructor, nullptr);
  EXPECT_NE(cls->destructor, nullptr);
  EXPECT_EQ(cls->flags, 4u);
  EXPECT_EQ(Properties(cls), (std::vector<PropertyRow>{{"Address", "Int64", 6, true, false, 0},
                                                       {"Size", "Int64", 6, true, false, 0},
                                                       {"Memory", "Memoryblock", 6, true, false, 0}}));
  EXPECT_EQ(Methods(cls), (std::vector<MethodRow>{{"Resize(Size as Int64) as boolean", 4, true, false},
                                                  {"Close", 4, true, false},
                                                  {"Create(size as Int64) as boolean", 4, true, false}}));
  // Close and the destructor are one routine.
  EXPECT_EQ(host.Method(cls, "Close"), cls->destructor);

  const REALmethodDefinition* global = host.GlobalMethod();
  ASSERT_NE(global, nullptr);
  EXPECT_STREQ(global->declaration, kNewFromPtr);
  EXPECT_EQ(global->flags, 4u);
  EXPECT_EQ(global->setter, nullptr);
  EXPECT_NE(global->function, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Levels, QVXMemoryRegistrationTest,
                         ::testing::Values(LevelCase{2013.03, 12}, LevelCase{2013.0, 11}, LevelCase{2012.0, 10},
                                           LevelCase{2011.99, 9}),
                         [](const auto& info) { return "Level" + std::to_string(info.param.level); });

TEST(QVXMemoryLoadTest, AsksTheHostForNothingButRegistrationAtLoad) {
  Host host;
  host.LoadFreshCopy(QVXMEMORY_PATH);
  EXPECT_EQ(host.lookups,
            (std::vector<std::string>{"RegisterPluginVersion", "REALGetRBVersion", "PluginRegisterClassExtension",
                                      "PluginRegisterClass", "PluginRegisterMethod"}));
}

// A registration service the host lacks is skipped; the others still run.
class QVXMemoryLackingRegistrationTest : public ::testing::TestWithParam<const char*> {};

TEST_P(QVXMemoryLackingRegistrationTest, SkipsOnlyThatRegistration) {
  Host host;
  host.services.erase(GetParam());
  host.LoadFreshCopy(QVXMEMORY_PATH);
  std::vector<std::string> expected = {"RegisterPluginVersion 12"};
  for (std::string call :
       {std::string("PluginRegisterClassExtension MemoryBlock"), std::string("PluginRegisterClass MemoryBlockQVX"),
        std::string("PluginRegisterMethod ") + kNewFromPtr}) {
    if (call.rfind(std::string(GetParam()) + " ", 0) != 0) expected.push_back(call);
  }
  EXPECT_EQ(host.calls, expected);
}

INSTANTIATE_TEST_SUITE_P(Services, QVXMemoryLackingRegistrationTest,
                         ::testing::Values("PluginRegisterClassExtension", "PluginRegisterClass",
                                           "PluginRegisterMethod"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
