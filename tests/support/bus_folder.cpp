#include "bus_folder.h"

#include <utility>

namespace testsupport {

hidbus::BusOptions BusFolder::options(hidbus::NodeOpener open_node) const {
  hidbus::BusOptions o;
  o.sysfs_root = sys().string();
  o.dev_root = dev().string();
  o.virtual_dir = virtual_dir();
  o.open_node = std::move(open_node);
  return o;
}

}  // namespace testsupport
