#pragma once
// The plug-in host: the resolver that maps each service name to its function,
// the services themselves, and the table of what plug-ins registered.
//
// Registered classes become framework classes (superclass Object unless the
// definition names one). Each instance carries the class's plug-in data,
// zero-filled, at the 16-byte aligned offset the host writes into word 4 of
// the definition; creating an instance runs the plug-in's constructor, its
// end runs the destructor. Definitions are read in the form their word 0
// names: 9 the short level-9 form, 10 to 12 the full one; any other level is
// refused with a debug log line. The host fills each event record's second
// word (at level 9 that of the short copy) with the event's token.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/object.h"
#include "plugin_interface.h"
#include "pluginhost/declaration.h"

namespace pluginhost {

// Service name -> entry point; nil for a name the host does not know.
REALproc resolve_service(const char* name);
inline REALresolverProc resolver() { return &resolve_service; }

// The version REALGetRBVersion reports: 2013.03 unless a test sets another.
double host_version();
void set_host_version(double version);

// What REALinRuntime reports: true, as in a built application.
bool in_runtime();
void set_in_runtime(bool value);

struct PluginProperty {
  std::string name;       // as registered
  std::string type_name;  // "Integer", "String", ...
  ValueKind kind = ValueKind::Void;
  // Plain: the host reads and writes the 32-bit field at `param` of the data.
  bool plain = false;
  REALproc getter = nullptr;  // T (*)(REALobject instance, REALsword param)
  REALproc setter = nullptr;  // void (*)(REALobject instance, REALsword param, T value); nil: read-only
  REALsword param = 0;
};

struct PluginMethod {
  std::string declaration;
  Declaration parsed;
  REALproc function = nullptr;  // R (*)(self, arguments...)
  REALproc setter = nullptr;    // void (*)(self, arguments..., value); nil for most
};

struct PluginEvent {
  std::string declaration;
  Declaration parsed;
  size_t index = 0;  // in the class's event table
  const struct PluginClass* owner = nullptr;
};

struct PluginConstant {
  std::string declaration;  // "kIOHIDReportTypeInput = 0"
  std::string name;         // "kIOHIDReportTypeInput"
  std::string value;        // "0"
};

struct PluginClass {
  std::string name;
  bool extension = false;
  // The framework class: the plug-in class itself, or the host class that an
  // extension extends. Never nil.
  const framework::ClassRecord* record = nullptr;
  int level = 0;
  REALproc constructor = nullptr;
  REALproc destructor = nullptr;
  std::vector<PluginProperty> properties;
  std::vector<PluginMethod> methods;
  std::vector<std::unique_ptr<PluginEvent>> events;
  std::vector<PluginConstant> constants;
  std::vector<PluginProperty> shared_properties;
  std::vector<PluginMethod> shared_methods;
};

// The class registered under the name (case-insensitive; the latest one wins),
// or nil. Extensions are not classes of their own: see extensions_of.
const PluginClass* find_plugin_class(std::string_view name);
// Every extension registered for the host class of that name, in order.
std::vector<const PluginClass*> extensions_of(std::string_view class_name);
// The global method registered with that declaration (normal forms compared).
const PluginMethod* find_global_method(std::string_view declaration);

// A new instance of the named class (a plug-in class or a framework class
// that can be built by name), nil when there is none. The plug-in's
// constructor has run; an exception it raised is thrown here.
framework::Ref<framework::Object> new_instance(std::string_view class_name);

// The plug-in data of `instance` for its plug-in class; nil for nil or an
// instance of no plug-in class.
void* plugin_data(framework::Object* instance);

}  // namespace pluginhost
