#pragma once
// Taking a harness's input apart: fixed-size fields from the front, the rest
// as one run of bytes. Fields past the end read as 0.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fake_members.h"
#include "fuzz_broken.h"
#include "protocol/hid.h"

namespace fuzz {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t U8() { return at_ < size_ ? data_[at_++] : 0; }
  uint16_t U16() { return uint16_t(U8() | U8() << 8); }
  uint32_t U32() { return uint32_t(U16()) | uint32_t(U16()) << 16; }
  std::string Rest() {
    std::string rest(reinterpret_cast<const char*>(data_ + at_), size_ - at_);
    at_ = size_;
    return rest;
  }
  std::string Take(size_t n) {
    const size_t k = n < size_ - at_ ? n : size_ - at_;
    std::string part(reinterpret_cast<const char*>(data_ + at_), k);
    at_ += k;
    return part;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Fresh module data for one input, messages counted and swallowed, released
// at the end.
class ModuleRun {
 public:
  ModuleRun() : bound(hidtest::FakeMembers([this](const framework::String&) { ++messages; })) { HID::Initialise(); }
  ~ModuleRun() { HID::Finalise(); }
  ModuleRun(const ModuleRun&) = delete;
  ModuleRun& operator=(const ModuleRun&) = delete;

  int messages = 0;
  HID::BoundMembers bound;
};

}  // namespace fuzz
