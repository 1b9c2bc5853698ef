#include "properties.h"

#include "registry.h"

namespace pluginhost::properties {
namespace {

const PluginProperty* In(const PluginClass& pc, const std::string& wanted) {
  for (const PluginProperty& p : pc.properties) {
    if (normal_name(p.name) == wanted) return &p;
  }
  return nullptr;
}

}  // namespace

Found find(framework::Object* instance, std::string_view name) {
  if (instance == nullptr) return {};
  std::string wanted = normal_name(name);
  for (const framework::ClassRecord* c = &instance->object_class(); c != nullptr; c = c->superclass()) {
    if (const PluginClass* pc = registry::class_of(*c); pc != nullptr && pc->record == c) {
      if (const PluginProperty* p = In(*pc, wanted)) return {pc, p};
    }
    for (const PluginClass* extension : extensions_of(c->name())) {
      if (const PluginProperty* p = In(*extension, wanted)) return {extension, p};
    }
  }
  return {};
}

int32_t* plain_field(framework::Object* instance, const PluginClass& owner, const PluginProperty& property) {
  if (instance == nullptr || owner.extension || !property.plain) return nullptr;
  auto* data = static_cast<unsigned char*>(instance->instance_data(*owner.record));
  return data != nullptr ? reinterpret_cast<int32_t*>(data + property.param) : nullptr;
}

}  // namespace pluginhost::properties
