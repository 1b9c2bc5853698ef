#include "mkpackage/package.h"

#include "jpegicc/jpegicc.h"

#include <cstdio>

namespace tools {

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string id_line(const std::string& text) {
  const std::optional<std::uint16_t> id = read_usb_id(text);
  if (!id) return quoted(text) + " (not a USB ID)";
  char value[32];
  std::snprintf(value, sizeof value, " (%u, 0x%04X)", unsigned{*id}, unsigned{*id});
  return quoted(text) + value;
}

std::string firmware_summary(const std::string& text) {
  std::size_t crlf = 0;
  std::size_t bare = 0;  // a CR or LF that is not part of a CR LF pair
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++crlf;
      ++i;
    } else if (text[i] == '\r' || text[i] == '\n') {
      ++bare;
    }
  }
  std::string line = std::to_string(text.size()) + " bytes, ";
  if (bare == 0)
    line += std::to_string(crlf) + " lines ending in CR LF";
  else
    line += std::to_string(bare) + " line ends that are not CR LF (the updater splits at CR LF only)";
  return line;
}

// The firmware with CR LF shown as plain line ends.
std::string firmware_text(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  if (!out.empty() && out.back() != '\n') out += '\n';
  return out;
}

}  // namespace

std::string show_package(std::span<const std::uint8_t> package) {
  const jpegicc::Bytes profile = jpegicc::read_icc_profile(package);
  if (profile.empty()) throw PackageError("the file holds no package (no embedded profile)");
  const SplitPackage split =
      split_package(xor_mask(std::string_view(reinterpret_cast<const char*>(profile.data()), profile.size())));
  const PackageFields& f = split.fields;

  auto field = [&](std::size_t n, const std::string& text) {
    return n <= split.field_count ? text : std::string("(missing)");
  };
  std::string out;
  out += "field 1:    " + field(1, quoted(f.unused)) + " (unused)\n";
  out += "version:    " + field(2, quoted(f.version)) + "\n";
  out += "title:      " + field(3, quoted(f.title)) + "\n";
  out += "vendor ID:  " + field(4, id_line(f.vendor_id)) + "\n";
  out += "product ID: " + field(5, id_line(f.product_id)) + "\n";
  out += "firmware:   " + field(6, firmware_summary(f.firmware)) + "\n";
  if (split.tail) out += "after the sixth \"$\": " + std::to_string(split.tail->size()) + " bytes (ignored)\n";
  if (split.field_count < kPackageFieldCount)
    out += "the package has only " + std::to_string(split.field_count) + " of 6 fields; the updater would refuse it\n";
  else if (f.version.empty() || f.firmware.empty())
    out += "the version or the firmware is empty; the updater would refuse it\n";
  if (!f.firmware.empty()) out += "\n" + firmware_text(f.firmware);
  return out;
}

}  // namespace tools
