#include "updater/device_path.h"
#include "updater/outside.h"

namespace updater {

namespace {
OutsideMembers& outside_members() {
  static OutsideMembers members;
  return members;
}
DevicePath& the_device_path() {
  static DevicePath path;
  return path;
}
}  // namespace

OutsideMembers& outside() { return outside_members(); }
void set_outside(OutsideMembers members) { outside_members() = std::move(members); }

DevicePath& device_path() { return the_device_path(); }
void set_device_path(DevicePath path) { the_device_path() = std::move(path); }

}  // namespace updater
