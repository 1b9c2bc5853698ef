// Linux hidraw devices: identity from sysfs, reports through /dev/hidrawN.

#include "internal.h"
#include "report_descriptor.h"

#include "fileread/fileread.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <unistd.h>

namespace hidbus::detail {
namespace {

namespace fs = std::filesystem;

// The files of one device's sysfs folders. A device that leaves while it is
// read makes its files fail with ENODEV: such a device is passed over, with
// a line that says why, rather than listed with half its identity.
class DeviceFiles {
 public:
  explicit DeviceFiles(const std::string& name) : name_(name) {}

  // The file's bytes; nullopt when it is missing and `required` is false, or
  // when it cannot be read (why() then says so).
  std::optional<std::string> read(const fs::path& path, bool required = true) {
    fileread::FileRead file = fileread::read_file(path.string());
    if (file.ok()) return std::move(file.bytes);
    if (required || file.error != ENOENT) {
      if (why_.empty()) why_ = "hidbus: passed over " + name_ + ": cannot read " + path.string() + ": " + file.reason();
    }
    return std::nullopt;
  }

  // An optional attribute's text without its line end.
  std::optional<std::string> attribute(const fs::path& path) {
    auto text = read(path, false);
    if (!text) return std::nullopt;
    while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
    return text;
  }

  // The line for the log when a file could not be read; else empty.
  const std::string& why() const { return why_; }

 private:
  std::string name_;
  std::string why_;
};

std::optional<uint32_t> parse_hex(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  unsigned long value = std::strtoul(text.c_str(), &end, 16);
  if (errno != 0 || end == text.c_str() || *end != '\0' || value > 0xFFFFFFFFul) return std::nullopt;
  return static_cast<uint32_t>(value);
}

// The USB device above a HID device: the first ancestor with an idVendor.
std::optional<fs::path> usb_parent(const fs::path& hid_dir, const fs::path& root) {
  fs::path dir = hid_dir.parent_path();
  for (int level = 0; level < 4 && !dir.empty() && dir != root && dir != dir.root_path(); ++level) {
    std::error_code ec;
    if (fs::exists(dir / "idVendor", ec)) return dir;
    dir = dir.parent_path();
  }
  return std::nullopt;
}

class HidrawSource : public Source {
 public:
  explicit HidrawSource(const BusOptions& options)
      : sysfs_(options.sysfs_root), dev_(options.dev_root), open_node_(options.open_node) {}

  void enumerate(std::vector<DeviceInfo>& out) override {
    std::error_code ec;
    fs::directory_iterator it(sysfs_ / "class" / "hidraw", ec);
    if (ec) return;
    std::vector<std::string> names;
    // Stepped with an error_code: a folder that changes under the walk must
    // end it, not throw out of the search.
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
      std::string name = it->path().filename().string();
      if (name.rfind("hidraw", 0) == 0) names.push_back(name);
    }
    if (ec)
      log("hidbus: the list of hidraw devices in " + (sysfs_ / "class" / "hidraw").string() +
          " ended early: " + ec.message());
    std::sort(names.begin(), names.end());
    std::set<std::string> said;
    for (const auto& name : names) {
      std::string why;
      if (auto info = describe(name, why)) out.push_back(std::move(*info));
      if (why.empty()) continue;
      say(why);
      said.insert(std::move(why));
    }
    std::lock_guard lock(mutex_);
    said_ = std::move(said);
  }

  bool owns(const std::string& path) const override {
    std::string prefix = (dev_ / "hidraw").string();
    return path.rfind(prefix, 0) == 0;
  }

  std::unique_ptr<Channel> open(const std::string& path, int* error) override {
    std::string name = fs::path(path).filename().string();
    std::string why;
    auto info = describe(name, why);
    if (!why.empty()) say(why);
    if (!info || info->path != path) {
      *error = ENOENT;
      return nullptr;
    }
    int fd = open_node_ ? open_node_(path) : ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      *error = errno;
      char ids[32];
      std::snprintf(ids, sizeof ids, "%04x:%04x", info->vendor_id, info->product_id);
      std::string what = info->product.empty() ? std::string(ids) : std::string(ids) + " " + info->product;
      log("hidbus: cannot open " + path + " (" + what + "): " + errno_text(*error));
      return nullptr;
    }
    return std::make_unique<Channel>(Fd(fd), std::move(*info));
  }

 private:
  // Says a line of a device passed over unless the last search said it: the
  // search asks every second, and a file that stays unreadable is named once.
  void say(const std::string& line) {
    std::lock_guard lock(mutex_);
    if (!said_.contains(line)) log(line);
  }

  // The device's identity; nullopt when it is none to list, and then `why`
  // holds the line to say when one of its files could not be read.
  std::optional<DeviceInfo> describe(const std::string& name, std::string& why) const {
    std::error_code ec;
    fs::path hid_dir = fs::canonical(sysfs_ / "class" / "hidraw" / name / "device", ec);
    if (ec) return std::nullopt;
    DeviceFiles files((dev_ / name).string());
    auto uevent = files.read(hid_dir / "uevent");
    if (!uevent) {
      why = files.why();
      return std::nullopt;
    }

    DeviceInfo info;
    info.path = (dev_ / name).string();
    std::istringstream lines(*uevent);
    std::string line;
    bool have_id = false;
    while (std::getline(lines, line)) {
      auto eq = line.find('=');
      if (eq == std::string::npos) continue;
      std::string key = line.substr(0, eq);
      std::string value = line.substr(eq + 1);
      if (key == "HID_ID") {
        // bus:vendor:product, each in hex
        unsigned bus = 0, vendor = 0, product = 0;
        if (std::sscanf(value.c_str(), "%x:%x:%x", &bus, &vendor, &product) == 3) {
          info.vendor_id = static_cast<uint16_t>(vendor);
          info.product_id = static_cast<uint16_t>(product);
          have_id = true;
        }
      } else if (key == "HID_NAME") {
        info.product = value;
      } else if (key == "HID_UNIQ") {
        info.serial_number = value;
      }
    }
    if (!have_id) return std::nullopt;

    if (auto usb = usb_parent(hid_dir, fs::canonical(sysfs_, ec))) {
      if (auto v = files.attribute(*usb / "bcdDevice")) info.version = static_cast<uint16_t>(parse_hex(*v).value_or(0));
      if (auto v = files.attribute(*usb / "manufacturer")) info.manufacturer = *v;
      if (auto v = files.attribute(*usb / "product")) info.product = *v;
      if (auto v = files.attribute(*usb / "serial")) info.serial_number = *v;
    }

    if (auto descriptor = files.read(hid_dir / "report_descriptor", false)) {
      auto lengths =
          parse_report_descriptor(std::span(reinterpret_cast<const uint8_t*>(descriptor->data()), descriptor->size()));
      info.max_input_report = lengths.max_input;
      info.max_output_report = lengths.max_output;
      info.max_feature_report = lengths.max_feature;
      info.usage_page = lengths.usage_page;
      info.usage = lengths.usage;
      info.numbered_reports = lengths.numbered;
    }
    why = files.why();
    if (!why.empty()) return std::nullopt;
    return info;
  }

  fs::path sysfs_;
  fs::path dev_;
  NodeOpener open_node_;
  std::mutex mutex_;
  std::set<std::string> said_;  // the lines of devices passed over by the last search
};

}  // namespace

std::unique_ptr<Source> make_hidraw_source(const BusOptions& options) {
  return std::make_unique<HidrawSource>(options);
}

}  // namespace hidbus::detail
