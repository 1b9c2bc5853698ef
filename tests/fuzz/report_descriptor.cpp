// The HID bus's report descriptor parse, over whatever a device's sysfs
// report_descriptor holds. It reads no byte past the descriptor, and as a
// truncated descriptor gives what was read up to its end, a cut of it never
// tells of a longer report than the whole does, of report IDs the whole has
// not, or of another device usage once the cut has found one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>

#include "fuzz_broken.h"
#include "report_descriptor.h"

namespace {

hidbus::detail::ReportLengths Parse(const uint8_t* data, size_t size) {
  // A buffer of exactly the descriptor's size: a read past its end is one
  // AddressSanitizer sees.
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size]);
  std::copy(data, data + size, exact.get());
  return hidbus::detail::parse_report_descriptor(std::span<const uint8_t>(exact.get(), size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const hidbus::detail::ReportLengths whole = Parse(data, size);
  if (size == 0) return 0;
  for (size_t cut_at : {size / 2, size - 1}) {
    const hidbus::detail::ReportLengths cut = Parse(data, cut_at);
    if (cut.max_input > whole.max_input || cut.max_output > whole.max_output || cut.max_feature > whole.max_feature) {
      fuzz::Broken("a cut descriptor tells of a longer report");
    }
    if (cut.numbered && !whole.numbered) fuzz::Broken("a cut descriptor numbers its reports, the whole does not");
    const bool named = cut.usage_page != 0 || cut.usage != 0;
    if (named && (cut.usage_page != whole.usage_page || cut.usage != whole.usage)) {
      fuzz::Broken("the device usage changed past the first collection");
    }
  }
  return 0;
}
