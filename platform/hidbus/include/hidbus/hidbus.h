#pragma once
// The HID bus: one list of HID devices from every source, and report channels
// to them.
//
// Sources, picked in one place (bus.cpp):
// - Linux hidraw devices, enumerated from sysfs and opened as /dev/hidrawN;
// - virtual devices: Unix SOCK_SEQPACKET sockets in a folder (HIDBUS_VIRTUAL_DIR,
//   default ${XDG_RUNTIME_DIR}/hidbus, else /tmp/hidbus-UID), served by a
//   VirtualDevice. Only the user's own folder counts (owned by the effective
//   user, a real folder, writable by no one else), and only a device whose
//   server runs as the same user; what is passed over is named on the log
//   sink with the reason. A device's socket is reached through the folder
//   that was checked (by its descriptor, under /proc/self/fd), not by its name;
// - devices attached in process (tests): one socketpair per device.
//
// Report framing is hidraw's on every source. A write is one output report:
// its first byte is the report ID, 0 for a device without numbered reports.
// A read is one input report: it starts with the report ID only when the
// device numbers its reports. Channel and DevicePort do this framing for you.
//
// Removal: a channel whose other end hangs up (POLLHUP, end of file) or that
// reports ENODEV is a removed device; from then on every call on it gives
// Status::removed.
//
// Threads: Bus and the free functions may be called from several threads (the
// list of attached devices and the log sink are guarded). A Channel, a
// DevicePort and a VirtualDevice belong to one thread at a time.
//
// No call here blocks without a bound: every wait takes a time-out in ms.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace hidbus {

// Owns one file descriptor; -1 when empty.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int release();
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

struct DeviceInfo {
  std::string path;  // unique and stable while the device is attached
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
  uint16_t version = 0;  // release number (bcdDevice)
  std::string manufacturer;
  std::string product;
  std::string serial_number;
  // Longest report of each kind in bytes, the report ID byte included when
  // the device numbers its reports; 0 when it has none of that kind.
  uint32_t max_input_report = 0;
  uint32_t max_output_report = 0;
  uint32_t max_feature_report = 0;
  uint16_t usage_page = 0;  // of the first application collection; 0 if unknown
  uint16_t usage = 0;
  bool numbered_reports = false;  // the report descriptor uses report IDs
};

enum class Status { ok, timeout, removed, error };

struct Report {
  uint8_t report_id = 0;
  std::vector<uint8_t> data;  // without the report ID byte
};

struct ReadResult {
  Status status = Status::error;
  Report report;  // valid when status is ok
  int error = 0;  // errno value when status is error
};

// Host end of a device: one input report per read, one output report per write.
class Channel {
 public:
  Channel(Fd fd, DeviceInfo info);

  // Readable when an input report (or the removal) is waiting; for poll loops.
  int fd() const { return fd_.get(); }
  const DeviceInfo& info() const { return info_; }

  // Writes one output report, waiting at most timeout_ms for room.
  // ok, timeout (nothing written), removed, or error (error() tells errno).
  Status write_report(uint8_t report_id, std::span<const uint8_t> data, int timeout_ms);
  // Takes one input report, waiting at most timeout_ms (0: only what is there).
  ReadResult read_report(int timeout_ms);

  bool removed() const { return removed_; }
  int error() const { return last_error_; }

 private:
  Fd fd_;
  DeviceInfo info_;
  bool removed_ = false;
  bool use_write_ = false;  // a device node, not a socket
  int last_error_ = 0;
};

// Device end of a report channel: reads output reports, sends input reports.
class DevicePort {
 public:
  DevicePort(Fd fd, bool numbered_reports);

  int fd() const { return fd_.get(); }
  // One output report from the host: the report ID and the bytes after it.
  // The reports a host sent before it hung up come first, also after a
  // send_input that found it gone; then Status::removed.
  ReadResult read_output(int timeout_ms);
  // Sends one input report; the ID byte goes first only for numbered reports.
  Status send_input(uint8_t report_id, std::span<const uint8_t> data, int timeout_ms);
  bool removed() const { return removed_; }

 private:
  Fd fd_;
  bool numbered_;
  bool removed_ = false;
};

// Opens a device node for the hidraw source: returns the fd, or -1 with errno set.
using NodeOpener = std::function<int(const std::string& node)>;

struct BusOptions {
  std::string sysfs_root = "/sys";
  std::string dev_root = "/dev";
  // Folder of the virtual devices; empty: default_virtual_dir() at each call.
  std::string virtual_dir;
  // Empty: open(2) with O_RDWR | O_NONBLOCK | O_CLOEXEC.
  NodeOpener open_node;
};

struct AttachedDevice {
  std::string path;  // as enumerate() lists it
  Fd device_fd;      // the device's end; closing it removes the device
};

class Bus {
 public:
  Bus();
  explicit Bus(BusOptions options);
  ~Bus();
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;

  // Every device of every source: hidraw, virtual, attached.
  std::vector<DeviceInfo> enumerate();
  // A channel to the device at path, or nullptr with *error set to the errno
  // value (ENOENT for a path no source knows). A node or socket that cannot
  // be opened is named on the log sink with the reason.
  std::unique_ptr<Channel> open(const std::string& path, int* error = nullptr);

  // Lists a device in process until detach() or until its device end closes.
  // info.path is ignored; the bus names the device ("inproc:N"). An empty
  // device_fd when no socketpair could be made.
  AttachedDevice attach(DeviceInfo info);
  // Removes an attached device; its open channels then see a removal.
  // False when no such device is attached.
  bool detach(const std::string& path);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The process's bus over /sys, /dev and the virtual folder.
Bus& default_bus();
std::vector<DeviceInfo> enumerate();
std::unique_ptr<Channel> open(const std::string& path, int* error = nullptr);
AttachedDevice attach(DeviceInfo info);
bool detach(const std::string& path);

// HIDBUS_VIRTUAL_DIR, else ${XDG_RUNTIME_DIR}/hidbus, else /tmp/hidbus-UID
// (UID the effective user's).
std::string default_virtual_dir();

// Diagnostic lines (nodes that cannot be opened, stale virtual devices,
// folders and devices passed over).
// Default: standard error. An empty function restores the default.
void set_log_sink(std::function<void(const std::string&)> sink);

// Server side of a virtual device. Publishing creates NAME.sock (listening)
// and NAME.info (the DeviceInfo, written atomically, locked while the server
// lives, so that an entry left by a server that died is known as stale and
// cleaned by the next enumeration). One host is served at a time: a host that
// connects while another is served is disconnected at once.
class VirtualDevice {
 public:
  // Creates the folder 0700 when it is missing. Throws std::system_error
  // when the folder or socket cannot be made, when the folder is not the
  // user's own (EACCES; see the virtual source above), or when NAME is taken
  // by a live device; std::invalid_argument for a bad name (empty, with '/'
  // or a line end, starting with '.', longer than the 77 bytes every host can
  // reach, or too long for a socket path in `dir`).
  VirtualDevice(const std::string& name, DeviceInfo info, const std::string& dir = {});
  ~VirtualDevice();  // unpublishes
  VirtualDevice(const VirtualDevice&) = delete;
  VirtualDevice& operator=(const VirtualDevice&) = delete;

  const DeviceInfo& info() const { return info_; }  // info().path is "virtual:NAME"
  // Readable when a host is connecting.
  int listen_fd() const { return listen_.get(); }
  // Takes a waiting host. Returns the new host's port, or nullptr when none
  // was waiting or a host is already served (the newcomer is disconnected).
  DevicePort* accept();
  // The served host's port, nullptr when none.
  DevicePort* port() { return port_.get(); }
  // Ends the current host's connection (it sees a removal).
  void drop_host();
  // The device leaves the bus: host dropped, files removed. Idempotent.
  void unpublish();

 private:
  DeviceInfo info_;
  std::string socket_path_;
  std::string info_path_;
  Fd listen_;
  Fd info_lock_;
  std::unique_ptr<DevicePort> port_;
};

}  // namespace hidbus
