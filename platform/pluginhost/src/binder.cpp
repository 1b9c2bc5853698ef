#include "pluginhost/binder.h"

#include "framework/application.h"
#include "framework/exceptions.h"
#include "framework/system.h"
#include "properties.h"

#include <optional>
#include <string>
#include <vector>

namespace pluginhost {
namespace {

void NoOp(REALobject) {}

bool Same(const std::vector<ValueKind>& a, const std::vector<ValueKind>& b) { return a == b; }

// The declared parameters of a member, behind the self a member takes first.
std::vector<ValueKind> WithSelf(ValueKind self, const std::vector<ValueKind>& parameters) {
  std::vector<ValueKind> all{self};
  all.insert(all.end(), parameters.begin(), parameters.end());
  return all;
}

const PluginMethod* FindMethod(const std::vector<PluginMethod>& methods, const std::string& normal) {
  for (const PluginMethod& m : methods) {
    if (normal_declaration(m.declaration) == normal) return &m;
  }
  return nullptr;
}

// Each step below, like Resolve, says why a slot did not resolve, for its
// label; empty when it did.

// A global method: its declaration names it.
std::string ResolveGlobal(EntrySlot& slot) {
  if (slot.is_property) return "not found";
  const PluginMethod* m = find_global_method(slot.declaration);
  if (m == nullptr) return "not found";
  if (!Same(slot.parameters, m->parsed.parameters) || slot.result != m->parsed.result) return "types do not match";
  slot.kind = MemberKind::GlobalMethod;
  slot.entry = m->function;
  slot.setter = m->setter;
  return {};
}

// Where a member of a class name is looked for: the plug-in class of that
// name, or else the plug-in classes that extend the class of that name.
struct Owners {
  const PluginClass* plugin_class = nullptr;  // nil for extensions
  std::vector<const PluginClass*> candidates;
  ValueKind self = ValueKind::Object;
};

Owners OwnersOf(const std::string& class_name) {
  Owners owners;
  owners.plugin_class = find_plugin_class(class_name);
  if (owners.plugin_class != nullptr) {
    owners.candidates.push_back(owners.plugin_class);
  } else {
    owners.candidates = extensions_of(class_name);
    owners.self = kind_of_type_name(class_name);
  }
  return owners;
}

// __init or __exit of a plug-in class: its constructor or destructor.
std::string ResolveHook(EntrySlot& slot, const PluginClass& pc, bool init) {
  if (slot.result != ValueKind::Void || !Same(slot.parameters, {ValueKind::Object})) return "types do not match";
  slot.kind = init ? MemberKind::Constructor : MemberKind::Destructor;
  REALproc hook = init ? pc.constructor : pc.destructor;
  // A class may have neither; its entry then does nothing.
  slot.entry = hook != nullptr ? hook : reinterpret_cast<REALproc>(&NoOp);
  slot.owner = &pc;
  return {};
}

// A property of c; nullopt when c has none of that name.
std::optional<std::string> ResolveProperty(EntrySlot& slot, const PluginClass& c, const Declaration& parsed) {
  for (const PluginProperty& p : c.properties) {
    if (normal_name(p.name) != normal_name(parsed.name)) continue;
    if (parsed.has_parameter_list || parsed.result != p.kind || slot.result != p.kind || !Same(slot.parameters, {})) {
      return "types do not match";
    }
    slot.kind = MemberKind::Property;
    slot.owner = &c;
    slot.property = &p;
    slot.entry = p.getter;
    slot.setter = p.setter;
    return std::string();
  }
  return std::nullopt;
}

// A method of c, taking self first; nullopt when c has none of that
// declaration.
std::optional<std::string> ResolveMethod(EntrySlot& slot, const PluginClass& c, const std::string& normal,
                                         const Owners& owners) {
  const PluginMethod* m = FindMethod(c.methods, normal);
  if (m == nullptr) return std::nullopt;
  if (!Same(slot.parameters, WithSelf(owners.self, m->parsed.parameters)) || slot.result != m->parsed.result) {
    return "types do not match";
  }
  slot.kind = owners.plugin_class != nullptr ? MemberKind::ClassMethod : MemberKind::ExtensionMethod;
  slot.owner = &c;
  slot.entry = m->function;
  slot.setter = m->setter;
  return std::string();
}

// Why a slot did not resolve, for its label; empty when it did. Of the
// candidate classes, the first that has the member decides.
std::string Resolve(EntrySlot& slot) {
  const std::string normal = normal_declaration(slot.declaration);
  if (slot.class_name.empty()) return ResolveGlobal(slot);

  const Owners owners = OwnersOf(slot.class_name);
  if (owners.candidates.empty()) return "class not found";
  if (owners.plugin_class != nullptr && (normal == "__init" || normal == "__exit")) {
    return ResolveHook(slot, *owners.plugin_class, normal == "__init");
  }

  auto parsed = parse_declaration(slot.declaration);
  if (!parsed) return "declaration not understood";
  for (const PluginClass* c : owners.candidates) {
    const std::optional<std::string> why =
        slot.is_property ? ResolveProperty(slot, *c, *parsed) : ResolveMethod(slot, *c, normal, owners);
    if (why) return *why;
  }
  return "not found";
}

}  // namespace

std::string EntrySlot::label() const { return class_name.empty() ? declaration : class_name + "." + declaration; }

namespace detail {

const EntrySlot& bound_slot(const EntryTable& table, size_t index) {
  const EntrySlot& slot = table.slots.at(index);
  if (!table.bound || slot.kind == MemberKind::Unbound) {
    throw framework::UnsupportedOperationException(framework::String("Plug-in member not bound: " + slot.label()));
  }
  return slot;
}

const EntrySlot& setter_slot(const EntryTable& table, size_t index) {
  const EntrySlot& slot = bound_slot(table, index);
  if (slot.setter == nullptr) {
    throw framework::UnsupportedOperationException(
        framework::String("Plug-in member cannot be assigned to: " + slot.label()));
  }
  return slot;
}

bool needs_instance(const EntrySlot& slot) {
  return slot.kind == MemberKind::ClassMethod || slot.kind == MemberKind::Constructor ||
         slot.kind == MemberKind::Destructor;
}

void nil_instance() { framework::throw_nil_object_exception(); }

void check_class(const EntrySlot& slot, framework::Object* self) {
  if (slot.owner == nullptr || self == nullptr || self->is_a(*slot.owner->record)) return;
  throw framework::UnsupportedOperationException(
      framework::String("Object of class " + self->object_class().name() + " has no " + slot.label()));
}

int32_t* plain_field(const EntrySlot& slot, framework::Object* self) {
  int32_t* field = properties::plain_field(self, *slot.owner, *slot.property);
  if (field == nullptr) {
    throw framework::UnsupportedOperationException(
        framework::String("Object of class " + self->object_class().name() + " has no " + slot.label()));
  }
  return field;
}

}  // namespace detail

std::vector<std::string> Binder::bind() {
  std::vector<std::string> unresolved;
  for (EntrySlot& slot : table_->slots) {
    slot.kind = MemberKind::Unbound;
    std::string why = Resolve(slot);
    if (!why.empty()) {
      slot.kind = MemberKind::Unbound;
      slot.entry = slot.setter = nullptr;
      unresolved.push_back(slot.label() + " (" + why + ")");
    }
  }
  table_->bound = true;
  return unresolved;
}

void Binder::bind_or_quit(const UnboundReport& report) {
  std::vector<std::string> unresolved = bind();
  if (unresolved.empty()) return;
  std::string text = "These plug-in members could not be found:";
  for (const std::string& label : unresolved) text += "\n" + label;
  if (report) {
    report(framework::String(text));
  } else {
    for (const std::string& label : unresolved)
      framework::System::DebugLog(framework::String("Plug-in member not found: " + label));
  }
  framework::Quit();
}

}  // namespace pluginhost
