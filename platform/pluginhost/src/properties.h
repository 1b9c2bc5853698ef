#pragma once
// Finding plug-in properties and the fields of plain ones.

#include <cstdint>
#include <string_view>

#include "pluginhost/host.h"

namespace pluginhost::properties {

struct Found {
  const PluginClass* owner = nullptr;
  const PluginProperty* property = nullptr;
};

// The property of that name (case-insensitive) in the instance's class or one
// of the extensions of its classes; nothing when there is none.
Found find(framework::Object* instance, std::string_view name);

// The 32-bit field of a plain property inside the instance's plug-in data.
int32_t* plain_field(framework::Object* instance, const PluginClass& owner, const PluginProperty& property);

}  // namespace pluginhost::properties
