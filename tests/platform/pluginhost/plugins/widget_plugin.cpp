// A small plug-in for the host's tests: one class with plain and computed
// properties, methods (one with an assignment form), events and a constant;
// an extension of MemoryBlock; global methods. It reaches the host only
// through the resolver, like the real plug-ins.

#include <cstring>
#include <string>

#include "plugincommon/plugincommon.h"

using namespace plugincommon;

namespace {

struct WidgetData {
  int32_t Count;      // plain, param 0
  int32_t Lasterror;  // plain read-only, param 4
  int32_t Slots[4];   // 8..23
  REALstring Label;   // computed property "Label"
};

int32_t main_calls = 0;
int32_t widgets_ended = 0;

REALclassDefinition WidgetClass{};

WidgetData* Data(REALobject instance) { return PluginData<WidgetData>(instance, WidgetClass); }

void WidgetConstructor(REALobject instance) { Data(instance)->Lasterror = -1; }

void WidgetDestructor(REALobject instance) {
  host::REALUnlockString(Data(instance)->Label);
  Data(instance)->Label = nullptr;
  ++widgets_ended;
}

REALstring GetLabel(REALobject instance, REALsword) {
  REALstring label = Data(instance)->Label;
  host::REALLockString(label);  // the caller owns the result
  return label;
}

void SetLabel(REALobject instance, REALsword, REALstring value) {
  host::REALLockString(value);
  host::REALUnlockString(Data(instance)->Label);
  Data(instance)->Label = value;
}

int32_t Add(REALobject instance, int32_t amount) { return Data(instance)->Count += amount; }

REALstring Echo(REALobject, REALstring text) {
  rbRawText raw(text);
  return BuildStringWithEncoding(raw.Ptr(), raw.Length(), REALEncodingUnknown);
}

void Fail(REALobject instance, REALstring message) {
  rbRawText raw(message);
  std::string text(reinterpret_cast<const char*>(raw.Ptr() ? raw.Ptr() : reinterpret_cast<const unsigned char*>("")),
                   static_cast<size_t>(raw.Length()));
  Data(instance)->Lasterror = 7;
  RaiseException("UnsupportedOperationException", text.c_str());
}

REALevent WidgetEvents[] = {
    {"Changed(value as integer)", 0, {}},
    {"Said(text as string, size as integer)", 0, {}},
};

// Raises Changed with n, then Said with n copies of "x".
void Fire(REALobject instance, int32_t n) {
  if (auto changed = reinterpret_cast<void (*)(REALobject, int32_t)>(
          host::GetEventInstance(instance, EventHostWord(WidgetEvents[0])))) {
    host::REALLockObject(instance);
    changed(instance, n);
    host::REALUnlockObject(instance);
  }
  if (auto said = reinterpret_cast<void (*)(REALobject, REALstring, int32_t)>(
          host::GetEventInstance(instance, EventHostWord(WidgetEvents[1])))) {
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, 'x');
    REALstring s = BuildStringWithEncoding(text.data(), static_cast<int64_t>(text.size()), REALEncodingUnknown);
    said(instance, s, n);
    host::REALUnlockString(s);
  }
}

int32_t GetSlot(REALobject instance, int32_t index) {
  return index >= 0 && index < 4 ? Data(instance)->Slots[index] : 0;
}

void SetSlot(REALobject instance, int32_t index, int32_t value) {
  if (index >= 0 && index < 4) Data(instance)->Slots[index] = value;
}

REALmemoryBlock Block(REALobject, int32_t size) {
  unsigned char bytes[16];
  for (int i = 0; i < 16; ++i) bytes[i] = static_cast<unsigned char>(0xA0 + i);
  return NewMemoryBlockFromBytes(bytes, size > 16 ? 16 : size);
}

REALproperty WidgetProperties[] = {
    {0, "Count", "Integer", 6, REALstandardAccessor, REALstandardAccessor, 0, {}},
    {0, "Lasterror", "Integer", 6, REALstandardAccessor, nullptr, 4, {}},
    {0, "Label", "String", 6, reinterpret_cast<REALproc>(&GetLabel), reinterpret_cast<REALproc>(&SetLabel), 0, {}},
};

REALmethodDefinition WidgetMethods[] = {
    {reinterpret_cast<REALproc>(&Add), nullptr, "Add(amount as integer) as integer", 4, {}},
    {reinterpret_cast<REALproc>(&Echo), nullptr, "Echo(text as string) as string", 4, {}},
    {reinterpret_cast<REALproc>(&Fail), nullptr, "Fail(message as string)", 4, {}},
    {reinterpret_cast<REALproc>(&Fire), nullptr, "Fire(n as integer)", 4, {}},
    {reinterpret_cast<REALproc>(&GetSlot),
     reinterpret_cast<REALproc>(&SetSlot),
     "Slot(index as integer) as integer",
     4,
     {}},
    {reinterpret_cast<REALproc>(&Block), nullptr, "Block(size as integer) as memoryblock", 4, {}},
};

REALconstant WidgetConstants[] = {
    {"kWidgetSlots = 4", {}},
};

// The MemoryBlock extension.
void FillQVX(REALmemoryBlock block, int32_t value) {
  if (block == nullptr) {
    RaiseException("NilObjectException", "memoryblock is nil");
    return;
  }
  auto* bytes = static_cast<unsigned char*>(host::memoryBlockGetPtr(block));
  int32_t size = host::memoryBlockGetSize(block);
  if (bytes != nullptr && size > 0) std::memset(bytes, value & 0xFF, static_cast<size_t>(size));
}

int32_t SizeQVX(REALmemoryBlock block, REALsword) { return host::memoryBlockGetSize(block); }

REALproperty ExtensionProperties[] = {
    {0, "SizeQVX", "Integer", 6, reinterpret_cast<REALproc>(&SizeQVX), nullptr, 0, {}},
};

REALmethodDefinition ExtensionMethods[] = {
    {reinterpret_cast<REALproc>(&FillQVX), nullptr, "FillQVX(value as integer)", 4, {}},
};

REALclassDefinition MemoryBlockExtension{};

int32_t MainCalls() { return main_calls; }
int32_t WidgetsEnded() { return widgets_ended; }
int32_t Level() { return CurrentREALControlVersion; }

REALmethodDefinition GlobalMethods[] = {
    {reinterpret_cast<REALproc>(&MainCalls), nullptr, "WidgetMainCallsQVX as integer", 4, {}},
    {reinterpret_cast<REALproc>(&WidgetsEnded), nullptr, "WidgetsEndedQVX as integer", 4, {}},
    {reinterpret_cast<REALproc>(&Level), nullptr, "WidgetLevelQVX as integer", 4, {}},
};

}  // namespace

extern "C" REALPLUGIN_EXPORT void REALPluginMain(REALresolverProc resolver) {
  ++main_calls;
  BeginPluginMain(resolver);

  WidgetClass.version = 12;
  WidgetClass.name = "WidgetQVX";
  WidgetClass.dataSize = sizeof(WidgetData);
  WidgetClass.constructor = reinterpret_cast<REALproc>(&WidgetConstructor);
  WidgetClass.destructor = reinterpret_cast<REALproc>(&WidgetDestructor);
  WidgetClass.properties = WidgetProperties;
  WidgetClass.propertyCount = 3;
  WidgetClass.methods = WidgetMethods;
  WidgetClass.methodCount = 6;
  WidgetClass.events = WidgetEvents;
  WidgetClass.eventCount = 2;
  WidgetClass.constants = WidgetConstants;
  WidgetClass.constantCount = 1;
  WidgetClass.flags = 4;
  RegisterClassDefinition(&WidgetClass);

  MemoryBlockExtension.version = 12;
  MemoryBlockExtension.name = "MemoryBlock";
  MemoryBlockExtension.properties = ExtensionProperties;
  MemoryBlockExtension.propertyCount = 1;
  MemoryBlockExtension.methods = ExtensionMethods;
  MemoryBlockExtension.methodCount = 1;
  MemoryBlockExtension.flags = 4;
  RegisterClassExtension(&MemoryBlockExtension);

  for (auto& method : GlobalMethods) RegisterGlobalMethod(&method);
}
