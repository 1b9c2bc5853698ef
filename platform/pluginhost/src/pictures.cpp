#include <new>

#include "framework/exceptions.h"
#include "framework/ui/picture.h"
#include "pluginhost/handles.h"
#include "services.h"

namespace pluginhost {
namespace services {

// The plug-in decodes straight into the picture it hands back, so a picture
// is never held twice.
REALobject PluginNewPicture(int32_t width, int32_t height, uint32_t** pixels) {
  if (pixels == nullptr) return nullptr;
  *pixels = nullptr;
  if (width <= 0 || height <= 0) return nullptr;
  framework::Ref<framework::Picture> picture;
  try {
    picture = framework::make<framework::Picture>(width, height);
  } catch (const framework::OutOfMemoryException&) {
    return nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  *pixels = picture->pixels();
  return to_handle(framework::Ref<framework::Object>(std::move(picture)).detach());
}

}  // namespace services
}  // namespace pluginhost
