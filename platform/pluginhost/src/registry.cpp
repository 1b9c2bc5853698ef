#include "registry.h"

#include <deque>
#include <map>
#include <mutex>
#include <set>

#include "framework/system.h"
#include "pluginhost/call_frame.h"
#include "pluginhost/events.h"
#include "pluginhost/handles.h"
#include "services.h"

namespace pluginhost {
namespace {

struct Registry {
  std::mutex mutex;
  std::deque<std::unique_ptr<PluginClass>> classes;  // extensions too; never freed
  std::map<std::string, PluginClass*> by_name;       // normal names
  std::map<std::string, std::vector<PluginClass*>> extensions;
  std::map<const framework::ClassRecord*, PluginClass*> by_record;
  std::deque<PluginMethod> globals;
  std::set<REALword> tokens;
  double version = 2013.03;
  bool in_runtime = true;
};

Registry& table() {
  static Registry* r = new Registry;  // plug-ins keep pointers into it to the end
  return *r;
}

void Log(const std::string& line) { framework::System::DebugLog(framework::String(line)); }

std::string Text(const char* s) { return s != nullptr ? std::string(s) : std::string(); }

template <typename Property>
void ReadProperties(const Property* table, REALsword count, const std::string& owner, std::vector<PluginProperty>& out,
                    REALword data_size) {
  if (table == nullptr || count <= 0) return;
  for (REALsword i = 0; i < count; ++i) {
    const Property& p = table[i];
    PluginProperty property;
    property.name = Text(p.name);
    property.type_name = Text(p.type);
    property.kind = kind_of_type_name(property.type_name);
    property.getter = p.getter;
    property.setter = p.setter;
    property.param = p.param;
    property.plain = p.getter == REALstandardAccessor;
    if (property.name.empty()) {
      Log("Plug-in property without a name skipped in " + owner);
      continue;
    }
    if (property.plain) {
      // The host reads and writes a 32-bit field there; it must lie in the data.
      bool inside = property.param >= 0 && static_cast<REALword>(property.param) + 4 <= data_size;
      if (property.kind != ValueKind::Integer || !inside ||
          (property.setter != nullptr && property.setter != REALstandardAccessor)) {
        Log("Plug-in property skipped: " + owner + "." + property.name);
        continue;
      }
      property.getter = nullptr;
      property.setter = p.setter == REALstandardAccessor ? REALstandardAccessor : nullptr;
    } else if (property.getter == nullptr) {
      Log("Plug-in property without a getter skipped: " + owner + "." + property.name);
      continue;
    } else if (property.setter == REALstandardAccessor) {
      // A computed property has no field for the host to write.
      Log("Plug-in property skipped: " + owner + "." + property.name);
      continue;
    }
    out.push_back(std::move(property));
  }
}

template <typename Method>
void ReadMethods(const Method* table, REALsword count, const std::string& owner, std::vector<PluginMethod>& out) {
  if (table == nullptr || count <= 0) return;
  for (REALsword i = 0; i < count; ++i) {
    const Method& m = table[i];
    auto parsed = parse_declaration(Text(m.declaration));
    if (!parsed || m.function == nullptr) {
      Log("Plug-in method skipped in " + owner + ": " + Text(m.declaration));
      continue;
    }
    out.push_back(PluginMethod{Text(m.declaration), *parsed, m.function, m.setter});
  }
}

// Called with the registry locked.
template <typename Definition>
bool Read(Definition* d, PluginClass& pc) {
  Registry& r = table();
  const REALword data_size = pc.extension ? 0 : d->dataSize;
  ReadProperties(d->properties, d->propertyCount, pc.name, pc.properties, data_size);
  ReadMethods(d->methods, d->methodCount, pc.name, pc.methods);
  ReadProperties(d->sharedProperties, d->sharedPropertyCount, pc.name, pc.shared_properties, 0);
  ReadMethods(d->sharedMethods, d->sharedMethodCount, pc.name, pc.shared_methods);
  if (d->constants != nullptr) {
    for (REALsword i = 0; i < d->constantCount; ++i) {
      std::string text = Text(d->constants[i].declaration);
      size_t eq = text.find('=');
      PluginConstant c{text, text.substr(0, text.find_first_of(" \t=")), ""};
      if (eq != std::string::npos) {
        std::string value = text.substr(eq + 1);
        size_t b = value.find_first_not_of(" \t");
        size_t e = value.find_last_not_of(" \t");
        c.value = b == std::string::npos ? "" : value.substr(b, e - b + 1);
      }
      pc.constants.push_back(std::move(c));
    }
  }
  if (d->events != nullptr) {
    for (REALsword i = 0; i < d->eventCount; ++i) {
      auto parsed = parse_declaration(Text(d->events[i].declaration));
      auto event = std::make_unique<PluginEvent>();
      event->declaration = Text(d->events[i].declaration);
      event->parsed = parsed.value_or(Declaration{});
      event->index = static_cast<size_t>(i);
      event->owner = &pc;
      if (!parsed) Log("Plug-in event cannot be raised, its declaration is not understood: " + event->declaration);
      auto token = reinterpret_cast<REALword>(event.get());
      r.tokens.insert(token);
      d->events[i].hostWord = token;
      pc.events.push_back(std::move(event));
    }
  }
  return true;
}

// Reads the definition in the form its word 0 names.
bool ReadDefinition(REALclassDefinition* d, PluginClass& pc) {
  pc.level = static_cast<int>(d->version);
  if (pc.level == 9) return Read(reinterpret_cast<REALclassDefinition9*>(d), pc);
  if (pc.level >= 10 && pc.level <= 12) return Read(d, pc);
  Log("Plug-in class not registered, interface level " + std::to_string(d->version) + ": " + pc.name);
  return false;
}

void CallHook(REALproc hook, framework::Object& object, bool finish) {
  if (hook == nullptr) return;
  CallFrame frame;
  reinterpret_cast<void (*)(REALobject)>(hook)(to_handle(&object));
  if (finish) frame.finish();
}

void Register(REALclassDefinition* d, bool extension) {
  if (d == nullptr || d->name == nullptr || d->name[0] == '\0') {
    Log("Plug-in class without a name not registered");
    return;
  }
  auto pc = std::make_unique<PluginClass>();
  pc->name = d->name;
  pc->extension = extension;
  // Word 0 tells which form the rest of the record has; the first seven
  // words are the same in both.
  pc->constructor = d->constructor;
  pc->destructor = d->destructor;

  Registry& r = table();
  std::lock_guard lock(r.mutex);
  const framework::ClassRecord* super = &framework::Object::class_record();
  if (extension) {
    pc->record = framework::find_class(pc->name);
    if (pc->record == nullptr) {
      Log("Plug-in class extension of an unknown class not registered: " + pc->name);
      return;
    }
  } else if (d->superName != nullptr && d->superName[0] != '\0') {
    super = framework::find_class(d->superName);
    if (super == nullptr) {
      Log("Plug-in class with an unknown superclass not registered: " + pc->name);
      return;
    }
  }
  if (!ReadDefinition(d, *pc)) return;

  if (!extension) {
    framework::ClassRecord& record = framework::define_class(pc->name, super, d->dataSize);
    REALproc constructor = pc->constructor;
    REALproc destructor = pc->destructor;
    record.set_constructor([constructor](framework::Object& o) { CallHook(constructor, o, true); });
    record.set_destructor([destructor](framework::Object& o) {
      CallHook(destructor, o, false);
      disconnect_events(&o);
    });
    d->dataOffset = record.data_offset();
    pc->record = &record;
    r.by_record[&record] = pc.get();
    r.by_name[normal_name(pc->name)] = pc.get();
  } else {
    r.extensions[normal_name(pc->name)].push_back(pc.get());
  }
  r.classes.push_back(std::move(pc));
}

}  // namespace

double host_version() { return table().version; }
void set_host_version(double version) { table().version = version; }
bool in_runtime() { return table().in_runtime; }
void set_in_runtime(bool value) { table().in_runtime = value; }

const PluginClass* find_plugin_class(std::string_view name) {
  Registry& r = table();
  std::lock_guard lock(r.mutex);
  auto it = r.by_name.find(normal_name(name));
  return it == r.by_name.end() ? nullptr : it->second;
}

std::vector<const PluginClass*> extensions_of(std::string_view class_name) {
  Registry& r = table();
  std::lock_guard lock(r.mutex);
  auto it = r.extensions.find(normal_name(class_name));
  if (it == r.extensions.end()) return {};
  return {it->second.begin(), it->second.end()};
}

const PluginMethod* find_global_method(std::string_view declaration) {
  Registry& r = table();
  std::lock_guard lock(r.mutex);
  std::string normal = normal_declaration(declaration);
  // The latest registration of a declaration wins.
  for (auto it = r.globals.rbegin(); it != r.globals.rend(); ++it) {
    if (normal_declaration(it->declaration) == normal) return &*it;
  }
  return nullptr;
}

framework::Ref<framework::Object> new_instance(std::string_view class_name) {
  const framework::ClassRecord* record = nullptr;
  if (const PluginClass* pc = find_plugin_class(class_name)) {
    record = pc->record;
  } else {
    record = framework::find_class(class_name);
  }
  if (record == nullptr) return nullptr;
  return framework::Ref<framework::Object>::adopt(record->create());
}

void* plugin_data(framework::Object* instance) {
  if (instance == nullptr) return nullptr;
  const PluginClass* pc = registry::class_of(instance->object_class());
  return pc != nullptr ? instance->instance_data(*pc->record) : nullptr;
}

namespace registry {

const PluginClass* class_of(const framework::ClassRecord& record) {
  Registry& r = table();
  std::lock_guard lock(r.mutex);
  for (const framework::ClassRecord* c = &record; c != nullptr; c = c->superclass()) {
    auto it = r.by_record.find(c);
    if (it != r.by_record.end()) return it->second;
  }
  return nullptr;
}

const PluginEvent* event_of_token(REALword token) {
  Registry& r = table();
  std::lock_guard lock(r.mutex);
  return r.tokens.count(token) != 0 ? reinterpret_cast<const PluginEvent*>(token) : nullptr;
}

}  // namespace registry

namespace services {

void RegisterPluginVersion(int32_t level) {
  if (level < REALInterfaceLevelMin || level > REALInterfaceLevelMax) {
    Log("Plug-in announced an unknown interface level: " + std::to_string(level));
  }
}

double REALGetRBVersion() { return host_version(); }

void PluginRegisterClass(REALclassDefinition* definition) { Register(definition, false); }

void PluginRegisterClassExtension(REALclassDefinition* definition) { Register(definition, true); }

void PluginRegisterMethod(REALmethodDefinition* method) {
  if (method == nullptr) return;
  auto parsed = parse_declaration(Text(method->declaration));
  if (!parsed || method->function == nullptr) {
    Log("Plug-in method not registered: " + Text(method->declaration));
    return;
  }
  Registry& r = table();
  std::lock_guard lock(r.mutex);
  r.globals.push_back(PluginMethod{Text(method->declaration), *parsed, method->function, method->setter});
}

REALboolean REALinRuntime() { return in_runtime() ? 1 : 0; }

}  // namespace services
}  // namespace pluginhost
