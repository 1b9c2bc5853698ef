#include "plugincommon/registration.h"

#include <cstring>

#include "plugincommon/host_services.h"
#include "plugincommon/marshalling.h"

namespace plugincommon {

REALresolverProc gResolver = nullptr;
double rbversion_rbversion = 0.0;
int32_t CurrentREALControlVersion = 0;

int32_t InterfaceLevelForVersion(double version) {
  // Written as three tests so that a NaN, which compares false with all of
  // them, ends at the lowest level.
  if (version >= 2013.03) return 12;
  if (version >= 2013.0) return 11;
  if (version >= 2012.0) return 10;
  return 9;
}

void NegotiateInterfaceLevel() {
  if (gResolver != nullptr) {
    if (auto version = reinterpret_cast<REALGetRBVersionProc>(gResolver("REALGetRBVersion"))) {
      rbversion_rbversion = version();
    }
  }
  CurrentREALControlVersion = InterfaceLevelForVersion(rbversion_rbversion);
}

void BeginPluginMain(REALresolverProc resolver) {
  gResolver = resolver;
  auto announce =
      resolver != nullptr ? reinterpret_cast<RegisterPluginVersionProc>(resolver("RegisterPluginVersion")) : nullptr;
  NegotiateInterfaceLevel();
  if (announce != nullptr) announce(CurrentREALControlVersion);
}

namespace {

// Size in bytes of count records of the given size, or 0 when no table can
// be made for it.
size_t TableBytes(REALsword count, size_t recordSize) {
  constexpr int64_t kMax = 0x7FFFFFFF;
  if (count <= 0 || static_cast<int64_t>(count) > kMax / static_cast<int64_t>(recordSize)) return 0;
  return static_cast<size_t>(count) * recordSize;
}

template <typename Short, typename Long>
Short* FixTable(const Long* table, REALsword count) {
  static_assert(sizeof(Short) <= sizeof(Long));
  if (table == nullptr) return nullptr;
  size_t bytes = TableBytes(count, sizeof(Short));
  if (bytes == 0) return nullptr;
  auto* fixed = static_cast<Short*>(AllocZeroed(static_cast<int64_t>(bytes)));
  if (fixed == nullptr) return nullptr;
  // The short form is the first words of the long one.
  for (REALsword i = 0; i < count; ++i) std::memcpy(&fixed[i], &table[i], sizeof(Short));
  return fixed;
}

// Prepares the definition for the negotiated level; false when it cannot be
// brought into the level-9 form.
bool PrepareForLevel(REALclassDefinition* definition) {
  if (CurrentREALControlVersion >= 10) {
    definition->version = static_cast<REALword>(CurrentREALControlVersion);
    return true;
  }
  REALclassDefinition9* fixed = FixClass(definition);
  if (fixed == nullptr) return false;
  std::memcpy(definition, fixed, sizeof(REALclassDefinition9));
  FreeAlloc(fixed);
  return true;
}

}  // namespace

REALproperty9* FixProperties(const REALproperty* table, REALsword count) {
  return FixTable<REALproperty9>(table, count);
}

REALmethodDefinition9* FixMethods(const REALmethodDefinition* table, REALsword count) {
  return FixTable<REALmethodDefinition9>(table, count);
}

REALconstant9* FixConstants(const REALconstant* table, REALsword count) {
  return FixTable<REALconstant9>(table, count);
}

REALevent9* FixEvents(REALevent* table, REALsword count) {
  REALevent9* fixed = FixTable<REALevent9>(table, count);
  if (fixed != nullptr) {
    for (REALsword i = 0; i < count; ++i) table[i].hostWord = reinterpret_cast<REALword>(&fixed[i]);
  }
  return fixed;
}

REALclassDefinition9* FixClass(REALclassDefinition* definition) {
  auto* fixed = static_cast<REALclassDefinition9*>(AllocZeroed(sizeof(REALclassDefinition9)));
  if (fixed == nullptr) return nullptr;
  fixed->version = static_cast<REALword>(CurrentREALControlVersion);
  fixed->name = definition->name;
  fixed->superName = definition->superName;
  fixed->dataSize = definition->dataSize;
  fixed->dataOffset = definition->dataOffset;
  fixed->constructor = definition->constructor;
  fixed->destructor = definition->destructor;
  fixed->properties = FixProperties(definition->properties, definition->propertyCount);
  fixed->propertyCount = definition->propertyCount;
  fixed->methods = FixMethods(definition->methods, definition->methodCount);
  fixed->methodCount = definition->methodCount;
  fixed->events = FixEvents(definition->events, definition->eventCount);
  fixed->eventCount = definition->eventCount;
  std::memcpy(fixed->carried, definition->carried, sizeof fixed->carried);
  // dropped[] stays zero.
  fixed->constants = FixConstants(definition->constants, definition->constantCount);
  fixed->constantCount = definition->constantCount;
  fixed->flags = definition->flags;
  fixed->sharedProperties = FixProperties(definition->sharedProperties, definition->sharedPropertyCount);
  fixed->sharedPropertyCount = definition->sharedPropertyCount;
  fixed->sharedMethods = FixMethods(definition->sharedMethods, definition->sharedMethodCount);
  fixed->sharedMethodCount = definition->sharedMethodCount;
  return fixed;
}

void RegisterClassDefinition(REALclassDefinition* definition) {
  if (definition == nullptr) return;
  definition->dataSize = (definition->dataSize + 15) & ~static_cast<REALword>(15);
  if (PrepareForLevel(definition)) host::PluginRegisterClass(definition);
}

void RegisterClassExtension(REALclassDefinition* definition) {
  if (definition == nullptr) return;
  if (PrepareForLevel(definition)) host::PluginRegisterClassExtension(definition);
}

void RegisterGlobalMethod(REALmethodDefinition* method) {
  if (method != nullptr) host::PluginRegisterMethod(method);
}

REALword EventHostWord(const REALevent& event) {
  if (CurrentREALControlVersion == 9) {
    auto* fixed = reinterpret_cast<const REALevent9*>(event.hostWord);
    return fixed != nullptr ? fixed->hostWord : 0;
  }
  return event.hostWord;
}

void ResetPluginState() {
  gResolver = nullptr;
  rbversion_rbversion = 0.0;
  CurrentREALControlVersion = 0;
  ForgetServices();
}

}  // namespace plugincommon
