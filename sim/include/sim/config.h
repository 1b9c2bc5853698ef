#pragma once
// What the simulated bootloader device is: identity, memory layout, timing,
// and the faults it shows for tests.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sim {

// Bootloader command codes, as the host sends them.
inline constexpr uint8_t kQueryDevice = 0x02;
inline constexpr uint8_t kEraseDevice = 0x04;
inline constexpr uint8_t kProgramDevice = 0x05;
inline constexpr uint8_t kProgramComplete = 0x06;
inline constexpr uint8_t kGetData = 0x07;
inline constexpr uint8_t kResetDevice = 0x08;

inline constexpr size_t kPacketSize = 64;
inline constexpr size_t kMaxData = 58;  // data bytes a packet can carry

// Region types the device lists; ERASE_DEVICE clears program memory only.
inline constexpr uint8_t kProgramRegion = 1;
inline constexpr uint8_t kConfigRegion = 3;

struct Region {
  uint8_t type = kProgramRegion;
  uint32_t address = 0;  // device address units
  uint32_t size = 0;     // device address units
};

// One bit of one device address that always reads as level.
struct StuckBit {
  uint32_t address = 0;
  unsigned bit = 0;  // 0 .. 8 * bytes per address - 1; bit 8 is bit 0 of the second byte
  bool level = false;
};

struct Faults {
  bool no_query_reply = false;            // QUERY_DEVICE goes unanswered
  std::optional<uint8_t> wrong_command;   // every reply's byte 0
  std::optional<uint8_t> unknown_family;  // the family the QUERY_DEVICE reply names
  std::vector<StuckBit> stuck_bits;
  std::optional<uint64_t> silent_after;       // packets answered before the device falls silent
  std::optional<uint64_t> remove_after;       // packets handled before the device leaves the bus
  std::optional<uint64_t> unsolicited_after;  // one unasked report after this packet (0: on connect)
  std::optional<size_t> short_report;         // length of every GET_DATA answer
  std::optional<uint8_t> get_data_count;      // count byte of every GET_DATA answer
  std::optional<int64_t> get_data_address;    // offset added to the address a GET_DATA answer names
  std::optional<uint32_t> claim_size;         // the size every region entry of the QUERY_DEVICE reply names
  std::optional<unsigned> flood;              // unasked reports sent every millisecond from the connect on
};

struct Config {
  uint16_t vendor_id = 0x04D8;
  uint16_t product_id = 0x003C;
  uint16_t version = 0x0100;
  std::string manufacturer = "Simulated Devices";
  std::string product = "HID Bootloader";
  std::string serial_number = "SIM-0001";
  uint8_t family = 1;
  uint8_t bytes_per_packet = 56;
  std::vector<Region> regions = {{kProgramRegion, 0x1000, 0x7000}, {kConfigRegion, 0x300000, 14}};
  unsigned erase_ms = 250;
  unsigned frame_ms = 1;  // one report per frame in each direction; 0: no pacing
  std::string name = "bootloader";
  std::string fill_file;  // Intel HEX: initial memory
  std::string dump_file;  // Intel HEX: memory, written on change and at exit
  bool verbose = false;
  Faults faults;

  // Family 2 holds two bytes at every device address.
  unsigned bytes_per_address() const { return family == 2 ? 2 : 1; }
};

enum class Preset { family1, family2, family3 };
Config preset(Preset which);

class ConfigError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Checks what the device cannot be built from: more than six regions, a
// region type 0xFF, a region past the 32-bit byte address space, memory too
// large to hold, a stuck bit outside every region.
void validate(const Config& config);

struct ParsedArgs {
  Config config;
  bool help = false;
};

// The program's options (usage() lists them). --preset is applied first,
// whatever its position; the first --region replaces the preset's regions.
// Throws ConfigError naming the option at fault.
ParsedArgs parse_args(const std::vector<std::string>& args);
std::string usage();

}  // namespace sim
