#pragma once
// The serving loop's view of the bus; not part of the contract.

#include <hidbus/hidbus.h>

#include <memory>
#include <string>

namespace sim::detail {

// Where the device meets its host: a virtual device that takes hosts one
// after another, or a device attached in process with its one connection.
class Link {
 public:
  virtual ~Link() = default;
  virtual int listen_fd() const = 0;  // -1: hosts do not come and go
  virtual hidbus::DevicePort* accept() = 0;
  virtual hidbus::DevicePort* port() = 0;
  virtual void drop() = 0;   // the host's connection ends
  virtual void leave() = 0;  // the device leaves the bus
  virtual bool ends_with_connection() const = 0;
};

class VirtualLink : public Link {
 public:
  explicit VirtualLink(hidbus::VirtualDevice& device) : device_(device) {}
  int listen_fd() const override { return device_.listen_fd(); }
  hidbus::DevicePort* accept() override { return device_.accept(); }
  hidbus::DevicePort* port() override { return device_.port(); }
  void drop() override { device_.drop_host(); }
  void leave() override { device_.unpublish(); }
  bool ends_with_connection() const override { return false; }

 private:
  hidbus::VirtualDevice& device_;
};

class InprocLink : public Link {
 public:
  InprocLink(hidbus::Bus& bus, std::string path, hidbus::Fd fd)
      : bus_(bus), path_(std::move(path)), port_(std::make_unique<hidbus::DevicePort>(std::move(fd), false)) {}
  int listen_fd() const override { return -1; }
  hidbus::DevicePort* accept() override { return nullptr; }
  hidbus::DevicePort* port() override { return port_.get(); }
  void drop() override { leave(); }
  void leave() override {
    bus_.detach(path_);
    port_.reset();
  }
  bool ends_with_connection() const override { return true; }

 private:
  hidbus::Bus& bus_;
  std::string path_;
  std::unique_ptr<hidbus::DevicePort> port_;
};

}  // namespace sim::detail
