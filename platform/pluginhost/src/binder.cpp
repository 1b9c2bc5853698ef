#include "pluginhost/binder.h"

#include "framework/application.h"
#include "framework/exceptions.h"
#include "framework/system.h"
#include "properties.h"

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

// Why a slot did not resolve, for its label; empty when it did.
std::string Resolve(EntrySlot& slot) {
  const std::string normal = normal_declaration(slot.declaration);
  if (slot.class_name.empty()) {
    if (slot.is_property) return "not found";
    const PluginMethod* m = find_global_method(slot.declaration);
    if (m == nullptr) return "not found";
    if (!Same(slot.parameters, m->parsed.parameters) || slot.result != m->parsed.result) return "types do not match";
    slot.kind = MemberKind::GlobalMethod;
    slot.entry = m->function;
    slot.setter = m->setter;
    return {};
  }

  const PluginClass* pc = find_plugin_class(slot.class_name);
  std::vector<const PluginClass*> candidates;
  ValueKind self = ValueKind::Object;
  if (pc != nullptr) {
    candidates.push_back(pc);
  } else {
    candidates = extensions_of(slot.class_name);
    self = kind_of_type_name(slot.class_name);
  }
  if (candidates.empty()) return "class not found";

  if (pc != nullptr && (normal == "__init" || normal == "__exit")) {
    if (slot.result != ValueKind::Void || !Same(slot.parameters, {ValueKind::Object})) return "types do not match";
    const bool init = normal == "__init";
    slot.kind = init ? MemberKind::Constructor : MemberKind::Destructor;
    REALproc hook = init ? pc->constructor : pc->destructor;
    // A class may have neither; its entry then does nothing.
    slot.entry = hook != nullptr ? hook : reinterpret_cast<REALproc>(&NoOp);
    slot.owner = pc;
    return {};
  }

  auto parsed = parse_declaration(slot.declaration);
  if (!parsed) return "declaration not understood";

  for (const PluginClass* c : candidates) {
    if (slot.is_property) {
      for (const PluginProperty& p : c->properties) {
        if (normal_name(p.name) != normal_name(parsed->name)) continue;
        if (parsed->has_parameter_list || parsed->result != p.kind || slot.result != p.kind ||
            !Same(slot.parameters, {})) {
          return "types do not match";
        }
        slot.kind = MemberKind::Property;
        slot.owner = c;
        slot.property = &p;
        slot.entry = p.getter;
        slot.setter = p.setter;
        return {};
      }
      continue;
    }
    const PluginMethod* m = FindMethod(c->methods, normal);
    if (m == nullptr) continue;
    if (!Same(slot.parameters, WithSelf(self, m->parsed.parameters)) || slot.result != m->parsed.result) {
      return "types do not match";
    }
    slot.kind = pc != nullptr ? MemberKind::ClassMethod : MemberKind::ExtensionMethod;
    slot.owner = c;
    slot.entry = m->function;
    slot.setter = m->setter;
    return {};
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
