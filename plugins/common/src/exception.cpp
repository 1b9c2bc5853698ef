#include <cstring>

#include "plugincommon/host_services.h"
#include "plugincommon/marshalling.h"

namespace plugincommon {

void RaiseException(const char* className, const char* message) {
  REALstring text = nullptr;
  if (message != nullptr && message[0] != '\0') {
    size_t length = std::strlen(message);
    text = host::REALBuildString(message, static_cast<int32_t>(length < 0x7FFFFFFF ? length : 0x7FFFFFFE));
    if (text != nullptr) host::REALSetStringEncoding(text, REALEncodingASCII);
  }
  REALobject exception = className != nullptr ? host::PluginNewInstance(className) : nullptr;
  if (exception == nullptr) exception = host::PluginNewInstance("RuntimeException");
  if (exception != nullptr) {
    host::REALSetPropValueString(exception, "Message", text);
    host::REALSetPropValueInt(exception, "ErrorNumber", 0);
    host::RuntimeRaiseException(exception);
    host::REALUnlockObject(exception);
  }
  if (text != nullptr) host::REALUnlockString(text);
}

}  // namespace plugincommon
