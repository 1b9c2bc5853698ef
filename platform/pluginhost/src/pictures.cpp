#include <limits>
#include <mutex>

#include "pluginhost/handles.h"
#include "pluginhost/host.h"
#include "services.h"

namespace pluginhost {
namespace {

std::mutex maker_mutex;
PictureMaker& maker() {
  static auto* m = new PictureMaker;
  return *m;
}

}  // namespace

void set_picture_maker(PictureMaker m) {
  std::lock_guard lock(maker_mutex);
  maker() = std::move(m);
}

namespace services {

REALobject PluginNewPictureRGB(int32_t width, int32_t height, const void* rgb) {
  if (width <= 0 || height <= 0 || rgb == nullptr) return nullptr;
  const uint64_t bytes = uint64_t{3} * static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  if (bytes > std::numeric_limits<size_t>::max()) return nullptr;
  PictureMaker make;
  {
    std::lock_guard lock(maker_mutex);
    make = maker();
  }
  if (!make) return nullptr;
  auto picture = make(width, height, std::span<const uint8_t>(static_cast<const uint8_t*>(rgb), bytes));
  return to_handle(picture.detach());
}

}  // namespace services
}  // namespace pluginhost
