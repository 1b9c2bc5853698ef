#pragma once

// The firmware package: six "$"-separated fields, masked byte by byte with
// one character, stored as a JPEG file's embedded colour profile.
//   1 unused, 2 version, 3 title, 4 vendor ID, 5 product ID, 6 Intel HEX text.
// The updater reads fields 4 and 5 as decimal or as hexadecimal after "&h",
// and splits field 6 into lines at CR LF only.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

inline constexpr char kPackageMask = 'K';
inline constexpr char kFieldSeparator = '$';
inline constexpr std::size_t kPackageFieldCount = 6;

// Thrown when a package cannot be made or read; what() is meant for the user.
class PackageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PackageFields {
  std::string unused;
  std::string version;
  std::string title;
  std::string vendor_id;
  std::string product_id;
  std::string firmware;
};

// Each byte combined by exclusive or with `mask`; its own inverse.
std::string xor_mask(std::string_view data, char mask = kPackageMask);

// The text with every line end (LF, CR LF or a lone CR) made CR LF.
std::string to_crlf(std::string_view text);

// An ID as the updater reads it: decimal digits, or "&h" (or "&H") followed
// by hexadecimal digits, and nothing else. Empty when the text is not such
// a number or the value is outside 0 to 0xFFFF, the range of a USB ID.
std::optional<std::uint16_t> read_usb_id(std::string_view text);

// Throws PackageError, naming the line and the reason, unless the updater
// reads `firmware` (as stored, with CR LF line ends) to its end record: every
// line up to it a record with a good checksum and a type of 00, 01 or 04.
void check_firmware(std::string_view firmware);

// Throws PackageError, naming the end record's line, when `firmware` (as
// stored, and passing check_firmware) holds no data byte before its end
// record: every device would get "The firmware holds no data for this
// device.". Apart from check_firmware, as only the package maker refuses it;
// packages without data still serve to show the updater's message.
void check_firmware_holds_data(std::string_view firmware);

// The unmasked package text of the fields. Throws PackageError when a field
// holds "$", the version or the firmware is empty, the firmware does not pass
// check_firmware (the updater would refuse the package), or an ID does not
// read as a USB ID.
std::string join_package(const PackageFields& fields);

struct SplitPackage {
  PackageFields fields;             // fields the text does not reach are empty
  std::size_t field_count = 0;      // how many of the six the text reaches
  std::optional<std::string> tail;  // the bytes after a sixth "$", which the updater ignores
};

// Splits unmasked package text the way the updater does.
SplitPackage split_package(std::string_view text);

// `picture` (a JPEG file) with the masked package as its embedded profile.
// `fields.firmware` is taken with its line ends made CR LF. Throws
// PackageError for bad fields or a picture that is not a usable JPEG file.
std::vector<std::uint8_t> make_package(std::span<const std::uint8_t> picture, const PackageFields& fields);

// The fields of a package file in a readable form, unmasked. Throws
// PackageError when the file holds no embedded profile.
std::string show_package(std::span<const std::uint8_t> package);

}  // namespace tools
