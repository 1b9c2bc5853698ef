#pragma once
// The folders of a HID bus of a test's own, in a scratch folder: its sysfs,
// its /dev and its virtual device folder. A bus over them lists none of the
// machine's hidraw nodes or virtual devices, only the nodes the test lays out
// in sys(), the devices it serves in virtual_dir() and those it attaches.

#include <filesystem>
#include <string>

#include "hidbus/hidbus.h"
#include "scratch_dir.h"

namespace testsupport {

class BusFolder {
 public:
  // The folder that holds sys, dev and virtual; the test may keep files of
  // its own in it.
  const std::filesystem::path& path() const { return dir_.path(); }
  std::filesystem::path sys() const { return dir_ / "sys"; }
  std::filesystem::path dev() const { return dir_ / "dev"; }
  std::string virtual_dir() const { return (dir_ / "virtual").string(); }

  // The options of a bus over these folders; `open_node` opens its hidraw
  // nodes (empty: open(2)).
  hidbus::BusOptions options(hidbus::NodeOpener open_node = {}) const;

 private:
  ScratchDir dir_;
};

}  // namespace testsupport
