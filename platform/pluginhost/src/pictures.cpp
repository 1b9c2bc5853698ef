#include <limits>

#include "framework/ui/picture.h"
#include "pluginhost/handles.h"
#include "services.h"

namespace pluginhost {
namespace services {

// The framework picture a plug-in makes from its decoded pixels: 3 bytes
// (R, G, B) a pixel, rows top to bottom.
REALobject PluginNewPictureRGB(int32_t width, int32_t height, const void* rgb) {
  if (width <= 0 || height <= 0 || rgb == nullptr) return nullptr;
  const uint64_t bytes = uint64_t{3} * static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  if (bytes > std::numeric_limits<size_t>::max()) return nullptr;
  const auto* in = static_cast<const uint8_t*>(rgb);
  framework::Ref<framework::Picture> picture = framework::make<framework::Picture>(width, height);
  uint32_t* pixels = picture->pixels();
  for (uint64_t i = 0; i < bytes / 3; ++i) {
    pixels[i] = 0xFF000000u | uint32_t(in[3 * i]) << 16 | uint32_t(in[3 * i + 1]) << 8 | uint32_t(in[3 * i + 2]);
  }
  return to_handle(framework::Ref<framework::Object>(std::move(picture)).detach());
}

}  // namespace services
}  // namespace pluginhost
