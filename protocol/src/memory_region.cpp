#include "protocol/memory_region.h"

namespace HID {

const framework::ClassRecord& MemoryRegion::class_record() {
  static const framework::ClassRecord& record = framework::define_class(
      "MemoryRegion", &framework::Object::class_record(), 0, framework::native_type_of<MemoryRegion>());
  return record;
}

}  // namespace HID
