#include "report_descriptor.h"

#include <algorithm>
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

}  // namespace

ReportLengths parse_report_descriptor(std::span<const uint8_t> d) {
  ReportLengths result;
  Globals globals;
  std::vector<Globals> stack;
  std::map<uint32_t, uint64_t> bits[3];  // per kind: report ID -> bits
  uint32_t first_usage = 0;
  bool have_usage = false;
  bool have_application = false;

  size_t i = 0;
  while (i < d.size()) {
    uint8_t prefix = d[i];
    if (prefix == 0xFE) {  // long item: size and tag follow
      if (i + 1 >= d.size()) break;
      i += 3 + static_cast<size_t>(d[i + 1]);
      continue;
    }
    size_t size = prefix & 3;
    if (size == 3) size = 4;
    if (i + 1 + size > d.size()) break;
    uint32_t value = 0;
    for (size_t k = 0; k < size; ++k) value |= static_cast<uint32_t>(d[i + 1 + k]) << (8 * k);
    uint8_t type = (prefix >> 2) & 3;
    uint8_t tag = prefix >> 4;
    i += 1 + size;

    if (type == 0) {  // main
      Kind kind;
      switch (tag) {
        case 0x8:
          kind = kInput;
          break;
        case 0x9:
          kind = kOutput;
          break;
        case 0xB:
          kind = kFeature;
          break;
        case 0xA:  // collection
          if (!have_application && have_usage) {
            // The usage of the first top-level collection names the device.
            uint32_t page = first_usage > 0xFFFF ? first_usage >> 16 : globals.usage_page;
            result.usage_page = static_cast<uint16_t>(page);
            result.usage = static_cast<uint16_t>(first_usage & 0xFFFF);
            have_application = true;
          }
          have_usage = false;
          continue;
        default:
          have_usage = false;
          continue;
      }
      bits[kind][globals.report_id] += static_cast<uint64_t>(globals.report_size) * globals.report_count;
      have_usage = false;
    } else if (type == 1) {  // global
      switch (tag) {
        case 0x0:
          globals.usage_page = value;
          break;
        case 0x7:
          globals.report_size = value;
          break;
        case 0x8:
          globals.report_id = value;
          result.numbered = true;
          break;
        case 0x9:
          globals.report_count = value;
          break;
        case 0xA:
          stack.push_back(globals);
          break;
        case 0xB:
          if (!stack.empty()) {
            globals = stack.back();
            stack.pop_back();
          }
          break;
        default:
          break;
      }
    } else if (type == 2 && tag == 0x0 && !have_usage) {  // local: usage
      first_usage = size == 4 ? value : value & 0xFFFF;
      have_usage = true;
    }
  }

  auto longest = [&](Kind kind) {
    uint64_t most = 0;
    for (const auto& [id, count] : bits[kind]) most = std::max(most, (count + 7) / 8);
    if (most == 0) return uint32_t{0};
    return static_cast<uint32_t>(most + (result.numbered ? 1 : 0));
  };
  result.max_input = longest(kInput);
  result.max_output = longest(kOutput);
  result.max_feature = longest(kFeature);
  return result;
}

}  // namespace hidbus::detail
