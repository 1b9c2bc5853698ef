#pragma once

#include <cstdint>
#include <span>

namespace hidbus::detail {

struct ReportLengths {
  uint32_t max_input = 0;  // bytes, the ID byte included when numbered
  uint32_t max_output = 0;
  uint32_t max_feature = 0;
  uint16_t usage_page = 0;
  uint16_t usage = 0;
  bool numbered = false;
};

// Walks the main items of a HID report descriptor and sums report size times
// report count per report ID and kind. A truncated descriptor gives what was
// read up to its end. A length past UINT32_MAX bytes is given as UINT32_MAX.
ReportLengths parse_report_descriptor(std::span<const uint8_t> descriptor);

}  // namespace hidbus::detail
