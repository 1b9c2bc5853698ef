#pragma once
// HID devices as the stand-in sees them: interface paths and device files.

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "hidbus/hidbus.h"
#include "objects.h"

namespace win32::detail {

// "\\?\hid#vid_VVVV&pid_PPPP#<bus path>#{<HID class>}".
std::u16string interface_path(const hidbus::DeviceInfo& device);
// The bus path inside an interface path; nullopt for any other path.
std::optional<std::string> bus_path_of(const std::u16string& path);
// The device of that bus path as the bus lists it now.
std::optional<hidbus::DeviceInfo> present_device(const std::string& bus_path);

// The one report channel of the process to a device, shared by its files.
struct Connection;

class File : public Object {
 public:
  File(hidbus::DeviceInfo info, std::shared_ptr<Connection> connection, std::unique_ptr<hidbus::Channel> channel,
       bool readable, bool writable, bool overlapped);
  ~File() override;

  const hidbus::DeviceInfo& info() const { return info_; }
  DWORD wait(DWORD ms) override;
  void closed() override;

  BOOL write(const uint8_t* bytes, DWORD length, DWORD* written);
  BOOL start_read(uint8_t* buffer, DWORD length, DWORD* read, OVERLAPPED* overlapped);
  BOOL result(OVERLAPPED* overlapped, DWORD* transferred);
  void cancel();

 private:
  struct Pending {
    OVERLAPPED* overlapped;
    uint8_t* buffer;
    DWORD length;
    std::thread::id thread;
  };
  // Completes the oldest pending read when a report (or the removal) is
  // there, without waiting. True when one completed.
  bool complete_one_locked();
  void finish_locked(const Pending& p, DWORD error, DWORD bytes);

  hidbus::DeviceInfo info_;
  std::shared_ptr<Connection> connection_;
  std::unique_ptr<hidbus::Channel> channel_;  // nil for access 0
  bool readable_, writable_, overlapped_;
  std::mutex mutex_;
  std::deque<Pending> pending_;
  bool signalled_ = false;
};

// Opens the device's report channel for a new file: the process's connection
// to it, opened when there is none. Nil with *error set to a system code.
std::unique_ptr<hidbus::Channel> open_channel(const hidbus::DeviceInfo& device, std::shared_ptr<Connection>* connection,
                                              DWORD* error);

}  // namespace win32::detail
