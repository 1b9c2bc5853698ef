#pragma once
// The table of registered plug-in classes, shared by the services.

#include "pluginhost/host.h"

namespace pluginhost::registry {

// The plug-in class whose framework class is `record` or the nearest one of
// its superclasses; nil when there is none.
const PluginClass* class_of(const framework::ClassRecord& record);

// The event an event token names; nil for a word the host never issued.
const PluginEvent* event_of_token(REALword token);

}  // namespace pluginhost::registry
