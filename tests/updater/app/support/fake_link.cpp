#include "fake_link.h"

#include <algorithm>
#include <chrono>

#include "framework/runloop.h"

namespace apptest {

using framework::MemoryBlock;
using framework::Ref;
using framework::RunLoop;
using framework::TimePoint;
using namespace std::chrono_literals;

namespace {

constexpr auto kTick = std::chrono::nanoseconds(1'000'000'000 / 60);

TimePoint Now() { return RunLoop::main().now(); }
void AdvanceTo(TimePoint t) { RunLoop::main().clock().advance_to(t); }

}  // namespace

class FakeLink::Walker final : public updater::DeviceObject {
 public:
  explicit Walker(FakeLink& link) : link_(link) {}
  bool FindFirstDevice() override {
    ++link_.walks_;
    at_ = 0;
    return at_ < link_.devices_.size();
  }
  bool FindNextDevice() override {
    if (at_ < link_.devices_.size()) ++at_;
    return at_ < link_.devices_.size();
  }
  int32_t VendorID() override { return current() ? current()->vendor_id : 0; }
  int32_t ProductID() override { return current() ? current()->product_id : 0; }
  void Connect() override {
    const FakeDevice* d = current();
    lasterror_ = d ? d->connect_error : -1;
    if (lasterror_ != 0) return;
    ++link_.connections_;
    if (d->bootloader) {
      link_.device_ = std::make_unique<sim::Device>(*d->bootloader);
      sim::Device::Response r = link_.device_->on_connect();
      for (auto& report : r.reports) link_.arriving_.push_back({Now(), report});
    }
  }
  int32_t Lasterror() override { return lasterror_; }
  void InstallCallback() override { link_.callback_installed_ = true; }

 private:
  const FakeDevice* current() const { return at_ < link_.devices_.size() ? &link_.devices_[at_] : nullptr; }
  FakeLink& link_;
  std::size_t at_ = 0;
  int32_t lasterror_ = -1;
};

FakeLink::FakeLink(std::vector<FakeDevice> devices) : devices_(std::move(devices)) {}

FakeLink::~FakeLink() = default;

updater::DevicePath FakeLink::Path() {
  updater::DevicePath path;
  path.NewDevice = [this] { return std::make_shared<Walker>(*this); };
  path.SetDeviceMac = [](const std::shared_ptr<updater::DeviceObject>&) {};
  path.SendCommand = [this](const Ref<MemoryBlock>& packet) { Send(packet); };
  path.ReadCommand = [this](HID::ReadMode mode) { return Read(mode); };
  return path;
}

void FakeLink::Send(const Ref<MemoryBlock>& packet) {
  std::vector<uint8_t> bytes(packet->data(), packet->data() + packet->Size());
  sent_.push_back(bytes);
  if (on_send_) on_send_(bytes);
  if (!device_ || gone_) return;
  // A device busy erasing reads nothing until it is done.
  const TimePoint at = std::max(Now(), busy_until_);
  sim::Device::Response r = device_->handle(bytes);
  for (auto& report : r.reports) arriving_.push_back({at, std::move(report)});
  if (r.busy_ms) busy_until_ = at + std::chrono::milliseconds(r.busy_ms);
  if (r.leave) gone_ = true;
}

void FakeLink::Deliver() {
  const TimePoint now = Now();
  std::stable_sort(arriving_.begin(), arriving_.end(),
                   [](const Arrival& a, const Arrival& b) { return a.due < b.due; });
  while (!arriving_.empty() && arriving_.front().due <= now) {
    queue_.push_back(std::move(arriving_.front().report));
    arriving_.pop_front();
  }
}

Ref<MemoryBlock> FakeLink::TakeNewest() {
  if (queue_.empty()) return nullptr;
  std::vector<uint8_t> bytes = std::move(queue_.back());
  queue_.pop_back();
  Ref<MemoryBlock> block = framework::NewMemoryBlock(int64_t(bytes.size()));
  std::copy(bytes.begin(), bytes.end(), block->data());
  block->set_LittleEndian(true);
  return block;
}

Ref<MemoryBlock> FakeLink::Read(HID::ReadMode mode) {
  if (mode == HID::ReadMode::Immediate) {
    Deliver();
    if (Ref<MemoryBlock> r = TakeNewest()) return r;
    // One event turn takes a little time.
    AdvanceTo(Now() + 1ms);
    return nullptr;
  }
  const TimePoint deadline = Now() + 120 * kTick;
  for (;;) {
    Deliver();
    if (Ref<MemoryBlock> r = TakeNewest()) return r;
    if (arriving_.empty() || arriving_.front().due > deadline) {
      AdvanceTo(deadline);
      return nullptr;
    }
    AdvanceTo(arriving_.front().due);
  }
}

}  // namespace apptest
