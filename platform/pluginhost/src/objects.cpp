#include "framework/exceptions.h"
#include "framework/system.h"
#include "pluginhost/call_frame.h"
#include "pluginhost/handles.h"
#include "properties.h"
#include "services.h"

namespace pluginhost::services {
namespace {

// Sets a property of a plug-in instance as an assignment in the application
// would: the host writes a plain field, or calls the setter.
template <typename T, typename C>
bool SetPluginProperty(framework::Object* object, const char* name, ValueKind kind, C value) {
  properties::Found found = properties::find(object, name);
  if (found.property == nullptr || found.property->kind != kind) return false;
  if (found.property->plain) {
    if constexpr (std::is_same_v<T, int32_t>) {
      if (found.property->setter == nullptr) return false;
      if (int32_t* field = properties::plain_field(object, *found.owner, *found.property)) {
        *field = value;
        return true;
      }
    }
    return false;
  }
  if (found.property->setter == nullptr) return false;
  reinterpret_cast<void (*)(REALobject, REALsword, C)>(found.property->setter)(to_handle(object), found.property->param,
                                                                               value);
  return true;
}

framework::Object* ObjectOf(REALobject handle) {
  return handle != nullptr && !is_string_handle(handle) ? from_handle(handle) : nullptr;
}

}  // namespace

REALobject PluginNewInstance(const char* className) {
  if (className == nullptr) return nullptr;
  try {
    return to_handle(new_instance(className).detach());
  } catch (...) {
    // The class's constructor raised: the plug-in gets no object, and the
    // exception reaches the caller of the plug-in member once it returns.
    if (!defer_pending(std::current_exception())) {
      framework::System::DebugLog(framework::String("Plug-in object could not be created: ") + className);
    }
    return nullptr;
  }
}

void REALSetPropValueString(REALobject object, const char* propertyName, REALstring value) {
  framework::Object* o = ObjectOf(object);
  if (o == nullptr || propertyName == nullptr) return;
  if (auto* e = dynamic_cast<framework::ExceptionObject*>(o)) {
    if (normal_name(propertyName) == "message") e->Message = framework::String(string_of(value));
    return;
  }
  SetPluginProperty<framework::String>(o, propertyName, ValueKind::String, value);
}

void REALSetPropValueInt(REALobject object, const char* propertyName, int32_t value) {
  framework::Object* o = ObjectOf(object);
  if (o == nullptr || propertyName == nullptr) return;
  if (auto* e = dynamic_cast<framework::ExceptionObject*>(o)) {
    if (normal_name(propertyName) == "errornumber") e->ErrorNumber = value;
    return;
  }
  SetPluginProperty<int32_t>(o, propertyName, ValueKind::Integer, value);
}

void RuntimeRaiseException(REALobject exception) {
  framework::Object* o = ObjectOf(exception);
  if (o == nullptr) return;
  // The host keeps a reference of its own; the plug-in drops its one.
  raise_pending(framework::Ref<framework::Object>(o));
}

void REALLockObject(REALobject object) {
  if (object == nullptr) return;
  if (is_string_handle(object)) {
    retain_string_handle(reinterpret_cast<REALstring>(object));
  } else {
    from_handle(object)->retain();
  }
}

void REALUnlockObject(REALobject object) {
  if (object == nullptr) return;
  if (is_string_handle(object)) {
    release_string_handle(reinterpret_cast<REALstring>(object));
  } else {
    from_handle(object)->release();
  }
}

}  // namespace pluginhost::services
