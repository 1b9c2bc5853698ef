// The info file that a virtual device publishes beside its socket.

#include "internal.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace hidbus::detail {
namespace {

std::string escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      ++i;
      out += text[i] == 'n' ? '\n' : text[i];
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string hex4(uint16_t value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%04x", value);
  return buffer;
}

bool parse_number(const std::string& text, int base, uint32_t limit, uint32_t& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  unsigned long value = std::strtoul(text.c_str(), &end, base);
  if (*end != '\0' || value > limit) return false;
  out = static_cast<uint32_t>(value);
  return true;
}

}  // namespace

std::string format_info(const DeviceInfo& info) {
  std::ostringstream out;
  out << "vendor_id=" << hex4(info.vendor_id) << "\n"
      << "product_id=" << hex4(info.product_id) << "\n"
      << "version=" << hex4(info.version) << "\n"
      << "manufacturer=" << escape(info.manufacturer) << "\n"
      << "product=" << escape(info.product) << "\n"
      << "serial_number=" << escape(info.serial_number) << "\n"
      << "max_input_report=" << info.max_input_report << "\n"
      << "max_output_report=" << info.max_output_report << "\n"
      << "max_feature_report=" << info.max_feature_report << "\n"
      << "usage_page=" << hex4(info.usage_page) << "\n"
      << "usage=" << hex4(info.usage) << "\n"
      << "numbered_reports=" << (info.numbered_reports ? 1 : 0) << "\n";
  return out.str();
}

std::optional<DeviceInfo> parse_info(const std::string& text) {
  DeviceInfo info;
  std::istringstream lines(text);
  std::string line;
  int ids = 0;
  while (std::getline(lines, line)) {
    auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq);
    std::string value = line.substr(eq + 1);
    uint32_t n = 0;
    auto hex16 = [&](uint16_t& field) {
      if (!parse_number(value, 16, 0xFFFF, n)) return false;
      field = static_cast<uint16_t>(n);
      return true;
    };
    auto dec32 = [&](uint32_t& field) { return parse_number(value, 10, 0xFFFFFFFFu, field); };
    bool ok = true;
    if (key == "vendor_id") {
      ok = hex16(info.vendor_id);
      ++ids;
    } else if (key == "product_id") {
      ok = hex16(info.product_id);
      ++ids;
    } else if (key == "version") {
      ok = hex16(info.version);
    } else if (key == "manufacturer") {
      info.manufacturer = unescape(value);
    } else if (key == "product") {
      info.product = unescape(value);
    } else if (key == "serial_number") {
      info.serial_number = unescape(value);
    } else if (key == "max_input_report") {
      ok = dec32(info.max_input_report);
    } else if (key == "max_output_report") {
      ok = dec32(info.max_output_report);
    } else if (key == "max_feature_report") {
      ok = dec32(info.max_feature_report);
    } else if (key == "usage_page") {
      ok = hex16(info.usage_page);
    } else if (key == "usage") {
      ok = hex16(info.usage);
    } else if (key == "numbered_reports") {
      info.numbered_reports = value == "1";
    }
    if (!ok) return std::nullopt;
  }
  if (ids != 2) return std::nullopt;
  return info;
}

}  // namespace hidbus::detail
