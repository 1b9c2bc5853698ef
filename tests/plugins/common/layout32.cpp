// Built with -m32: on a 32-bit build the interface records have the classic
// byte sizes, and a level-9 registration hands the host records of exactly
// the short byte sizes. No test framework here; a failed check exits 1.

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "plugincommon/plugincommon.h"

static_assert(sizeof(void*) == 4, "build this check with -m32");

static_assert(sizeof(REALclassDefinition) == 116);
static_assert(sizeof(REALclassDefinition9) == 100);
static_assert(sizeof(REALproperty) == 48);
static_assert(sizeof(REALproperty9) == 40);
static_assert(sizeof(REALmethodDefinition) == 24);
static_assert(sizeof(REALmethodDefinition9) == 16);
static_assert(sizeof(REALevent) == 16);
static_assert(sizeof(REALevent9) == 8);
static_assert(sizeof(REALconstant) == 20);
static_assert(sizeof(REALconstant9) == 12);
static_assert(sizeof(REALFSSpec) == 70);

// Byte offsets of the words the host and the plug-ins rely on.
static_assert(offsetof(REALclassDefinition, dataSize) == 12);
static_assert(offsetof(REALclassDefinition, dataOffset) == 16);
static_assert(offsetof(REALclassDefinition, properties) == 28);
static_assert(offsetof(REALclassDefinition, events) == 44);
static_assert(offsetof(REALclassDefinition, dropped) == 64);
static_assert(offsetof(REALclassDefinition, constants) == 72);
static_assert(offsetof(REALclassDefinition, flags) == 80);
static_assert(offsetof(REALclassDefinition, sharedMethodCount) == 96);
static_assert(offsetof(REALclassDefinition9, sharedMethodCount) == 96);
static_assert(offsetof(REALproperty, param) == 24);
static_assert(offsetof(REALmethodDefinition, declaration) == 8);
static_assert(offsetof(REALevent, hostWord) == 4);

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::printf("FAILED: %s\n", what);
    ++failures;
  }
}

REALclassDefinition* registered = nullptr;

double Version() { return 2011.0; }
void Register(REALclassDefinition* definition) { registered = definition; }

REALproc Resolve(const char* name) {
  if (std::strcmp(name, "REALGetRBVersion") == 0) return reinterpret_cast<REALproc>(&Version);
  if (std::strcmp(name, "PluginRegisterClass") == 0) return reinterpret_cast<REALproc>(&Register);
  return nullptr;
}

REALproperty properties[2] = {
    {0, "TimeOut", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 0, {}},
    {0, "Lasterror", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 4, {}},
};
REALmethodDefinition methods[2] = {
    {nullptr, nullptr, "Close", 4, {}},
    {nullptr, nullptr, "Connect", 4, {}},
};
REALevent events[2] = {
    {"ReceivedData(data as string, size as integer)", 0, {}},
    {"DeviceRemoved(result as integer)", 0, {}},
};
REALconstant constants[2] = {
    {"kIOHIDReportTypeInput = 0", {}},
    {"kIOHIDReportTypeOutput = 1", {}},
};

}  // namespace

int main() {
  REALclassDefinition definition{};
  definition.version = 12;
  definition.name = "MacHIDQVX";
  definition.dataSize = 1080;
  definition.properties = properties;
  definition.propertyCount = 2;
  definition.methods = methods;
  definition.methodCount = 2;
  definition.events = events;
  definition.eventCount = 2;
  definition.constants = constants;
  definition.constantCount = 2;
  definition.flags = 4;

  plugincommon::BeginPluginMain(&Resolve);
  plugincommon::RegisterClassDefinition(&definition);

  Check(plugincommon::CurrentREALControlVersion == 9, "level 9 negotiated");
  Check(registered == &definition, "static definition registered");
  if (registered == nullptr) return 1;

  // Read the record as a level-9 host does: bytes at their classic offsets.
  const auto* bytes = reinterpret_cast<const unsigned char*>(registered);
  auto word_at = [bytes](size_t offset) {
    uint32_t w;
    std::memcpy(&w, bytes + offset, 4);
    return w;
  };
  Check(word_at(0) == 9, "version word at byte 0");
  Check(word_at(12) == 1088, "rounded data size at byte 12");
  Check(word_at(64) == 0 && word_at(68) == 0, "words 16 and 17 zero");
  Check(word_at(80) == 4, "class flags at byte 80");

  const auto* props = reinterpret_cast<const unsigned char*>(word_at(28));
  Check(std::strcmp(*reinterpret_cast<const char* const*>(props + 40 + 4), "Lasterror") == 0,
        "second property record 40 bytes after the first");
  const auto* meths = reinterpret_cast<const unsigned char*>(word_at(36));
  Check(std::strcmp(*reinterpret_cast<const char* const*>(meths + 16 + 8), "Connect") == 0,
        "second method record 16 bytes after the first");
  const auto* evts = reinterpret_cast<const unsigned char*>(word_at(44));
  Check(std::strcmp(*reinterpret_cast<const char* const*>(evts + 8), "DeviceRemoved(result as integer)") == 0,
        "second event record 8 bytes after the first");
  Check(events[1].hostWord == reinterpret_cast<REALword>(evts + 8), "static event points at its copy");
  const auto* consts = reinterpret_cast<const unsigned char*>(word_at(72));
  Check(std::strcmp(*reinterpret_cast<const char* const*>(consts + 12), "kIOHIDReportTypeOutput = 1") == 0,
        "second constant record 12 bytes after the first");

  if (failures == 0) std::printf("32-bit layout: all byte sizes and offsets as documented\n");
  return failures == 0 ? 0 : 1;
}
