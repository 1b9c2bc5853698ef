#include <sim/server.h>

#include "link.h"
#include "serving.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace sim {

hidbus::DeviceInfo device_info(const Config& config) {
  hidbus::DeviceInfo info;
  info.vendor_id = config.vendor_id;
  info.product_id = config.product_id;
  info.version = config.version;
  info.manufacturer = config.manufacturer;
  info.product = config.product;
  info.serial_number = config.serial_number;
  info.max_input_report = kPacketSize;
  info.max_output_report = kPacketSize;
  info.usage_page = 0xFF00;
  info.usage = 0x0001;
  return info;
}

bool write_dump(const Device& device, const std::string& path) {
  // Readers never see half a file: write beside it, then rename.
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << device.intel_hex();
    if (!out.flush()) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

void serve_virtual(Device& device, std::mutex& mutex, int stop_fd, const std::string& dir,
                   const std::function<void(const std::string&)>& ready) {
  hidbus::VirtualDevice published(device.config().name, device_info(device.config()), dir);
  if (ready) ready(published.info().path);
  detail::VirtualLink link(published);
  detail::serve(device, mutex, link, stop_fd);
}

Device make_device(Config config) {
  Device device(std::move(config));
  if (!device.config().fill_file.empty()) device.fill(read_intel_hex_file(device.config().fill_file));
  if (device.config().verbose) {
    device.set_log([](const std::string& line) { std::fprintf(stderr, "bootloader-sim: %s\n", line.c_str()); });
  }
  return device;
}

InProcessDevice::InProcessDevice(Config config, hidbus::Bus& bus) : device_(make_device(std::move(config))), bus_(bus) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe2");
  wake_read_.reset(ends[0]);
  wake_write_.reset(ends[1]);
  hidbus::AttachedDevice attached = bus_.attach(device_info(device_.config()));
  if (!attached.device_fd) throw std::system_error(EIO, std::generic_category(), "cannot attach the device");
  path_ = attached.path;
  thread_ = std::thread([this, fd = std::move(attached.device_fd)]() mutable {
    detail::InprocLink link(bus_, path_, std::move(fd));
    detail::serve(device_, mutex_, link, wake_read_.get());
  });
}

InProcessDevice::~InProcessDevice() { stop(); }

void InProcessDevice::stop() {
  if (thread_.joinable()) {
    char byte = 1;
    ssize_t ignored = ::write(wake_write_.get(), &byte, 1);
    (void)ignored;
    thread_.join();
  }
  bus_.detach(path_);
}

}  // namespace sim
