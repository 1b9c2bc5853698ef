#include "mkpackage/package.h"

#include "jpegicc/jpegicc.h"
#include "updater/hex_records.h"

#include <array>
#include <cstdio>

namespace tools {

std::string xor_mask(std::string_view data, char mask) {
  std::string out(data);
  for (char& c : out) c = static_cast<char>(c ^ mask);
  return out;
}

std::string to_crlf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::uint16_t> read_usb_id(std::string_view text) {
  unsigned base = 10;
  if (text.size() >= 2 && text[0] == '&' && (text[1] == 'h' || text[1] == 'H')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : text) {
    unsigned digit = 0;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else
      return std::nullopt;
    value = value * base + digit;
    if (value > 0xFFFF) return std::nullopt;
  }
  return static_cast<std::uint16_t>(value);
}

namespace {

std::string hex_byte(std::int32_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value) & 0xFFu);
  return text;
}

// The start of a line for a message, with bytes that would not print as dots.
std::string line_start(std::string_view line) {
  constexpr std::size_t kShown = 24;
  std::string out;
  for (const char c : line.substr(0, kShown)) out += (c >= ' ' && c <= '~') ? c : '.';
  if (line.size() > kShown) out += "...";
  return out;
}

}  // namespace

void check_firmware(std::string_view firmware) {
  const updater::HexReading reading = updater::ReadHexRecords(firmware);
  const std::string line = std::to_string(reading.line);
  const std::string no_end = " without an end-of-file record (:00000001FF)";
  switch (reading.stop) {
    case updater::HexStop::kEndRecord:
      return;
    case updater::HexStop::kNotARecord:
      // The empty line after the final line end: the end record is missing.
      if (reading.text.empty() && reading.last && reading.line > 1)
        throw PackageError("the firmware ends after line " + std::to_string(reading.line - 1) + no_end +
                           "; the updater would show \"Invalid file format.\"");
      throw PackageError("firmware line " + line +
                         (reading.text.empty() ? " is empty" : " (\"" + line_start(reading.text) + "\")") +
                         ", not a record beginning with \":\"; the updater would show \"Invalid file format.\"");
    case updater::HexStop::kChecksum:
      throw PackageError("firmware line " + line + ": the checksum is " + hex_byte(reading.found) +
                         ", the record's bytes need " + hex_byte(reading.expected) +
                         "; the updater would show \"Checksum Error: " + std::to_string(reading.expected) + " <> " +
                         std::to_string(reading.found) + "\"");
    case updater::HexStop::kRecordType:
      throw PackageError("firmware line " + line + ": record type " + hex_byte(reading.type) +
                         ", the updater reads only types 00, 01 and 04 and would show \"Invalid file format.\" "
                         "with \"recordType=" +
                         std::to_string(reading.type) + "\"");
    case updater::HexStop::kNoEndRecord:
      break;
  }
  throw PackageError("the firmware ends after line " + line + no_end + "; the updater would quit without a message");
}

void check_firmware_holds_data(std::string_view firmware) {
  bool data = false;
  const updater::HexReading reading = updater::ReadHexRecords(firmware, [&](const updater::HexRecord& record) {
    if (record.type == 0x00 && record.count > 0) data = true;
  });
  if (reading.stop != updater::HexStop::kEndRecord || data) return;
  throw PackageError("firmware line " + std::to_string(reading.line) +
                     ": the end record comes before any data byte; the updater would show \"The firmware holds no "
                     "data for this device.\"");
}

std::string join_package(const PackageFields& fields) {
  const std::array<std::pair<const char*, const std::string*>, kPackageFieldCount> named = {{
      {"field 1", &fields.unused},
      {"version", &fields.version},
      {"title", &fields.title},
      {"vendor ID", &fields.vendor_id},
      {"product ID", &fields.product_id},
      {"firmware", &fields.firmware},
  }};
  for (const auto& [name, value] : named)
    if (value->find(kFieldSeparator) != std::string::npos)
      throw PackageError(std::string("the ") + name + " holds \"$\", which separates the package fields");
  if (fields.version.empty()) throw PackageError("the version is empty; the updater would refuse the package");
  if (fields.firmware.empty()) throw PackageError("the firmware is empty; the updater would refuse the package");
  check_firmware(fields.firmware);
  if (!read_usb_id(fields.vendor_id))
    throw PackageError("the vendor ID \"" + fields.vendor_id +
                       "\" is not a number from 0 to 65535 (decimal, or hexadecimal after \"&h\")");
  if (!read_usb_id(fields.product_id))
    throw PackageError("the product ID \"" + fields.product_id +
                       "\" is not a number from 0 to 65535 (decimal, or hexadecimal after \"&h\")");

  std::string text;
  for (std::size_t i = 0; i < named.size(); ++i) {
    if (i > 0) text += kFieldSeparator;
    text += *named[i].second;
  }
  return text;
}

SplitPackage split_package(std::string_view text) {
  SplitPackage split{};
  const std::array<std::string*, kPackageFieldCount> targets = {
      &split.fields.unused,    &split.fields.version,    &split.fields.title,
      &split.fields.vendor_id, &split.fields.product_id, &split.fields.firmware,
  };
  for (std::string* target : targets) {
    const std::size_t end = text.find(kFieldSeparator);
    ++split.field_count;
    if (end == std::string_view::npos) {
      *target = std::string(text);
      return split;
    }
    *target = std::string(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  split.tail = std::string(text);
  return split;
}

std::vector<std::uint8_t> make_package(std::span<const std::uint8_t> picture, const PackageFields& fields) {
  PackageFields stored = fields;
  stored.firmware = to_crlf(fields.firmware);
  const std::string masked = xor_mask(join_package(stored));

  try {
    // The updater shows the picture too; refuse one it could not decode.
    jpegicc::decode_rgb(picture);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(masked.data());
    return jpegicc::embed_icc_profile(picture, std::span(bytes, masked.size()));
  } catch (const jpegicc::Error& error) {
    throw PackageError(std::string("the picture is not usable: ") + error.what());
  }
}

}  // namespace tools
