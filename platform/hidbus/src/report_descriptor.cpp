#include "report_descriptor.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

namespace hidbus::detail {
namespace {

struct Globals {
  uint32_t usage_page = 0;
  uint32_t report_size = 0;
  uint32_t report_count = 0;
  uint32_t report_id = 0;
};

enum Kind { kInput, kOutput, kFeature };

struct Item {
  uint8_t type = 0;  // 0 main, 1 global, 2 local
  uint8_t tag = 0;
  size_t size = 0;  // data bytes: 0, 1, 2 or 4
  uint32_t value = 0;
};

// The next short item from `at` on, long items skipped; moves `at` past it.
// False at the end and at an item cut short.
bool next_item(std::span<const uint8_t> d, size_t& at, Item& item) {
  while (at < d.size()) {
    uint8_t prefix = d[at];
    if (prefix == 0xFE) {  // long item: size and tag follow
      if (at + 1 >= d.size()) return false;
      at += 3 + static_cast<size_t>(d[at + 1]);
      continue;
    }
    size_t size = prefix & 3;
    if (size == 3) size = 4;
    if (at + 1 + size > d.size()) return false;
    item.value = 0;
    for (size_t k = 0; k < size; ++k) item.value |= static_cast<uint32_t>(d[at + 1 + k]) << (8 * k);
    item.size = size;
    item.type = (prefix >> 2) & 3;
    item.tag = prefix >> 4;
    at += 1 + size;
    return true;
  }
  return false;
}

class Walk {
 public:
  void take(const Item& item) {
    if (item.type == 0) {
      main_item(item.tag);
    } else if (item.type == 1) {
      global_item(item.tag, item.value);
    } else if (item.type == 2 && item.tag == 0x0 && !have_usage_) {  // local: usage
      first_usage_ = item.size == 4 ? item.value : item.value & 0xFFFF;
      have_usage_ = true;
    }
  }

  ReportLengths lengths() {
    result_.max_input = longest(kInput);
    result_.max_output = longest(kOutput);
    result_.max_feature = longest(kFeature);
    return result_;
  }

 private:
  void main_item(uint8_t tag) {
    if (tag == 0x8) {
      add_bits(kInput);
    } else if (tag == 0x9) {
      add_bits(kOutput);
    } else if (tag == 0xB) {
      add_bits(kFeature);
    } else if (tag == 0xA && !have_application_ && have_usage_) {  // collection
      // The usage of the first top-level collection names the device.
      uint32_t page = first_usage_ > 0xFFFF ? first_usage_ >> 16 : globals_.usage_page;
      result_.usage_page = static_cast<uint16_t>(page);
      result_.usage = static_cast<uint16_t>(first_usage_ & 0xFFFF);
      have_application_ = true;
    }
    have_usage_ = false;
  }

  // Held at the top rather than wrapped: a report too long to count must not
  // come out as a short one.
  void add_bits(Kind kind) {
    uint64_t& bits = bits_[kind][globals_.report_id];
    uint64_t more = static_cast<uint64_t>(globals_.report_size) * globals_.report_count;
    bits = more > UINT64_MAX - bits ? UINT64_MAX : bits + more;
  }

  void global_item(uint8_t tag, uint32_t value) {
    switch (tag) {
      case 0x0:
        globals_.usage_page = value;
        break;
      case 0x7:
        globals_.report_size = value;
        break;
      case 0x8:
        globals_.report_id = value;
        result_.numbered = true;
        break;
      case 0x9:
        globals_.report_count = value;
        break;
      case 0xA:
        stack_.push_back(globals_);
        break;
      case 0xB:
        if (!stack_.empty()) {
          globals_ = stack_.back();
          stack_.pop_back();
        }
        break;
      default:
        break;
    }
  }

  // The longest report of a kind in bytes, its ID byte included; at most
  // UINT32_MAX.
  uint32_t longest(Kind kind) const {
    uint64_t most = 0;
    for (const auto& [id, count] : bits_[kind]) most = std::max(most, count / 8 + (count % 8 != 0));
    if (most == 0) return 0;
    return static_cast<uint32_t>(std::min<uint64_t>(most + (result_.numbered ? 1 : 0), UINT32_MAX));
  }

  ReportLengths result_;
  Globals globals_;
  std::vector<Globals> stack_;
  std::map<uint32_t, uint64_t> bits_[3];  // per kind: report ID -> bits
  uint32_t first_usage_ = 0;
  bool have_usage_ = false;
  bool have_application_ = false;
};

}  // namespace

ReportLengths parse_report_descriptor(std::span<const uint8_t> d) {
  Walk walk;
  size_t at = 0;
  for (Item item; next_item(d, at, item);) walk.take(item);
  return walk.lengths();
}

}  // namespace hidbus::detail
