#include "hid_device.h"

#include "cf_internal.h"
#include "iokit/bus.h"
#include "iokit/main_run_loop.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace iokit::hid {
namespace {

// What the interface knows of its device. Event sources hold it weakly, so a
// source that outlives its interface does nothing.
struct DeviceState {
  hidbus::DeviceInfo device;
  void* sender = nullptr;  // the interface, as callbacks name it
  std::unique_ptr<hidbus::Channel> channel;
  bool removed = false;
  int sources_on_loop = 0;

  IOHIDCallbackFunction removal_callback = nullptr;
  void* removal_target = nullptr;
  void* removal_refcon = nullptr;

  void* report_buffer = nullptr;
  UInt32 report_buffer_size = 0;
  IOHIDReportCallbackFunction report_callback = nullptr;
  void* report_target = nullptr;
  void* report_refcon = nullptr;

  RunLoopHost* watch_host = nullptr;
  std::optional<RunLoopHost::WatchId> watch;

  ~DeviceState() { unwatch(); }

  void unwatch() {
    if (watch) watch_host->unwatch_fd(*watch);
    watch.reset();
  }

  // The channel is read by the main run loop exactly while a source is on it.
  void update_watch(const std::shared_ptr<DeviceState>& self) {
    const bool wanted = sources_on_loop > 0 && channel && !removed;
    if (wanted && !watch) {
      watch_host = &main_run_loop();
      std::weak_ptr<DeviceState> weak = self;
      watch = watch_host->watch_fd(channel->fd(), [weak](short) {
        if (auto state = weak.lock()) state->deliver(state);
      });
    } else if (!wanted && watch) {
      unwatch();
    }
  }

  // Hands the waiting input reports to the report callback, at most
  // kReportsPerTurn of them (the rest stay in the channel, which keeps the fd
  // readable for the next turn), then a removal to the removal callback.
  void deliver(const std::shared_ptr<DeviceState>& self) {
    std::vector<UInt8> bytes;
    for (int taken = 0; channel && !removed && taken < kReportsPerTurn; ++taken) {
      hidbus::ReadResult r = channel->read_report(0);
      if (r.status == hidbus::Status::timeout) return;
      if (r.status != hidbus::Status::ok) {
        // A channel that fails for good is as gone as one that hung up.
        removed = true;
        update_watch(self);
        if (removal_callback != nullptr) removal_callback(removal_target, kIOReturnSuccess, removal_refcon, sender);
        return;
      }
      if (report_callback == nullptr || report_buffer == nullptr) continue;
      bytes.clear();
      if (device.numbered_reports) bytes.push_back(r.report.report_id);
      bytes.insert(bytes.end(), r.report.data.begin(), r.report.data.end());
      const auto n = static_cast<UInt32>(std::min<std::size_t>(bytes.size(), report_buffer_size));
      if (n > 0) std::memcpy(report_buffer, bytes.data(), n);
      report_callback(report_target, kIOReturnSuccess, report_refcon, sender, n);
    }
  }
};

struct Interface {
  const IOHIDDeviceInterface* table;  // first, so that the object is its own IOHIDDeviceInterface**
  ULONG refs;
  std::shared_ptr<DeviceState>* state;
};

Interface* self_of(void* self) { return static_cast<Interface*>(self); }
DeviceState& state_of(void* self) { return **self_of(self)->state; }

IOReturn from_errno(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return kIOReturnNoDevice;
    case EACCES:
    case EPERM:
      return kIOReturnNotPermitted;
    case ENOMEM:
      return kIOReturnNoMemory;
    default:
      return kIOReturnError;
  }
}

IOReturn from_status(hidbus::Status status, int error) {
  switch (status) {
    case hidbus::Status::ok:
      return kIOReturnSuccess;
    case hidbus::Status::timeout:
      return kIOReturnTimeout;
    case hidbus::Status::removed:
      return kIOReturnNoDevice;
    case hidbus::Status::error:
      break;
  }
  return from_errno(error);
}

HRESULT query_interface(void* self, REFIID, LPVOID* ppv) {
  // The device interface is reached through the plug-in interface only.
  (void)self;
  if (ppv != nullptr) *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG add_ref(void* self) { return ++self_of(self)->refs; }

ULONG release(void* self) {
  Interface* i = self_of(self);
  const ULONG left = --i->refs;
  if (left == 0) {
    delete i->state;
    delete i;
  }
  return left;
}

IOReturn create_async_event_source(void* self, CFRunLoopSourceRef* source) {
  if (source == nullptr) return kIOReturnBadArgument;
  std::weak_ptr<DeviceState> weak = *self_of(self)->state;
  *source = cf::make_source([weak](bool on_loop) {
    auto state = weak.lock();
    if (!state) return;
    state->sources_on_loop += on_loop ? 1 : -1;
    state->update_watch(state);
  });
  return kIOReturnSuccess;
}

IOReturn create_async_port(void*, mach_port_t* port) {
  if (port == nullptr) return kIOReturnBadArgument;
  *port = 0x2003;  // nothing is received through it: the event source does the work
  return kIOReturnSuccess;
}

IOReturn open(void* self, UInt32) {
  auto& state_ptr = *self_of(self)->state;
  DeviceState& state = *state_ptr;
  if (state.channel) return kIOReturnSuccess;
  if (state.removed) return kIOReturnNoDevice;
  int error = 0;
  state.channel = bus().open(state.device.path, &error);
  if (!state.channel) return from_errno(error);
  state.update_watch(state_ptr);
  return kIOReturnSuccess;
}

IOReturn close(void* self) {
  auto& state_ptr = *self_of(self)->state;
  if (!state_ptr->channel) return kIOReturnNotOpen;
  state_ptr->channel.reset();
  state_ptr->update_watch(state_ptr);
  return kIOReturnSuccess;
}

IOReturn set_removal_callback(void* self, IOHIDCallbackFunction callback, void* target, void* refcon) {
  DeviceState& state = state_of(self);
  state.removal_callback = callback;
  state.removal_target = target;
  state.removal_refcon = refcon;
  return kIOReturnSuccess;
}

IOReturn queues(void* self) { return state_of(self).channel ? kIOReturnSuccess : kIOReturnNotOpen; }

IOReturn set_report(void* self, IOHIDReportType type, UInt32 report_id, void* buffer, UInt32 size, UInt32 timeout_ms,
                    IOHIDReportCallbackFunction callback, void*, void*) {
  DeviceState& state = state_of(self);
  if (callback != nullptr) return kIOReturnUnsupported;
  if (buffer == nullptr && size > 0) return kIOReturnBadArgument;
  if (!state.channel) return kIOReturnNotOpen;
  if (state.removed) return kIOReturnNoDevice;
  // The bus carries input and output reports only.
  if (type != kIOHIDReportTypeOutput || report_id > 0xFF) return kIOReturnUnsupported;
  const auto* bytes = static_cast<const UInt8*>(buffer);
  const int wait = timeout_ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(timeout_ms);
  const hidbus::Status status =
      state.channel->write_report(static_cast<UInt8>(report_id), std::span<const UInt8>(bytes, size), wait);
  return from_status(status, state.channel->error());
}

IOReturn get_report(void* self, IOHIDReportType type, UInt32, void* buffer, UInt32* size, UInt32 timeout_ms,
                    IOHIDReportCallbackFunction callback, void*, void*) {
  DeviceState& state = state_of(self);
  if (callback != nullptr) return kIOReturnUnsupported;
  if (size == nullptr || (buffer == nullptr && *size > 0)) return kIOReturnBadArgument;
  if (!state.channel) return kIOReturnNotOpen;
  if (state.removed) return kIOReturnNoDevice;
  if (type != kIOHIDReportTypeInput) return kIOReturnUnsupported;
  const int wait = timeout_ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(timeout_ms);
  hidbus::ReadResult r = state.channel->read_report(wait);
  if (r.status != hidbus::Status::ok) {
    *size = 0;
    return from_status(r.status, r.error);
  }
  std::vector<UInt8> bytes;
  if (state.device.numbered_reports) bytes.push_back(r.report.report_id);
  bytes.insert(bytes.end(), r.report.data.begin(), r.report.data.end());
  const UInt32 room = *size;
  const auto n = static_cast<UInt32>(std::min<std::size_t>(bytes.size(), room));
  if (n > 0) std::memcpy(buffer, bytes.data(), n);
  *size = n;
  // A report longer than the buffer is cut, and said so.
  return bytes.size() > room ? kIOReturnOverrun : kIOReturnSuccess;
}

IOReturn set_interrupt_report_handler_callback(void* self, void* buffer, UInt32 size,
                                               IOHIDReportCallbackFunction callback, void* target, void* refcon) {
  DeviceState& state = state_of(self);
  state.report_buffer = buffer;
  state.report_buffer_size = buffer != nullptr ? size : 0;
  state.report_callback = callback;
  state.report_target = target;
  state.report_refcon = refcon;
  return kIOReturnSuccess;
}

const IOHIDDeviceInterface kTable = {
    nullptr,
    query_interface,
    add_ref,
    release,
    create_async_event_source,
    create_async_port,
    open,
    close,
    set_removal_callback,
    queues,
    queues,
    set_report,
    get_report,
    set_interrupt_report_handler_callback,
};

}  // namespace

void* new_device_interface(const hidbus::DeviceInfo& device) {
  auto* i = new Interface{&kTable, 1, new std::shared_ptr<DeviceState>(new DeviceState)};
  (*i->state)->device = device;
  (*i->state)->sender = i;
  return i;
}

}  // namespace iokit::hid
