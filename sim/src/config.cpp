#include <sim/config.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <cstdlib>

namespace sim {

Config preset(Preset which) {
  Config config;
  switch (which) {
    case Preset::family1:
      break;
    case Preset::family2:
      // Two bytes per address: program memory, data EEPROM, configuration words.
      config.family = 2;
      config.regions = {{kProgramRegion, 0x400, 0x5400}, {2, 0x7FFE00, 0x200}, {kConfigRegion, 0xF80000, 12}};
      break;
    case Preset::family3:
      // Program flash and configuration words high up, still below 2^31.
      config.family = 3;
      config.regions = {{kProgramRegion, 0x1D000000, 0x8000}, {kConfigRegion, 0x1FC02FF0, 16}};
      break;
  }
  return config;
}

void validate(const Config& config) {
  if (config.regions.size() > 6) throw ConfigError("at most 6 regions fit the QUERY_DEVICE reply");
  const uint64_t bpa = config.bytes_per_address();
  uint64_t total = 0;
  for (const auto& r : config.regions) {
    if (r.type == 0xFF) throw ConfigError("region type 255 is the end mark");
    if ((uint64_t{r.address} + r.size) * bpa > 0x100000000ull) {
      throw ConfigError("a region ends past the 32-bit byte address space");
    }
    total += uint64_t{r.size} * bpa;
  }
  if (total > (64u << 20)) throw ConfigError("regions hold more than 64 MiB");
  for (const auto& s : config.faults.stuck_bits) {
    if (s.bit >= 8 * bpa) throw ConfigError("stuck bit number too large for the family");
    bool inside = false;
    for (const auto& r : config.regions) inside |= s.address >= r.address && s.address - r.address < r.size;
    if (!inside) throw ConfigError("stuck bit outside every region");
  }
}

namespace {

// Decimal, or hexadecimal after 0x.
uint64_t number(const std::string& option, const std::string& text, uint64_t max) {
  int base = 10;
  std::string digits = text;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits = digits.substr(2);
  }
  if (digits.empty() || digits[0] == '-' || digits[0] == '+') {
    throw ConfigError(option + ": not a number: \"" + text + "\"");
  }
  char* end = nullptr;
  errno = 0;
  unsigned long long value = std::strtoull(digits.c_str(), &end, base);
  if (errno != 0 || *end != '\0') throw ConfigError(option + ": not a number: \"" + text + "\"");
  if (value > max) throw ConfigError(option + ": " + text + " is too large");
  return value;
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

void add_fault(Faults& faults, const std::string& spec) {
  const std::string option = "--fault " + spec;
  auto eq = spec.find('=');
  std::string name = spec.substr(0, eq);
  std::optional<std::string> value;
  if (eq != std::string::npos) value = spec.substr(eq + 1);
  auto arg = [&](const char* fallback) {
    if (value) return *value;
    if (!fallback) throw ConfigError(option + ": needs a value");
    return std::string(fallback);
  };
  if (name == "no-query-reply") {
    faults.no_query_reply = true;
  } else if (name == "wrong-command") {
    faults.wrong_command = static_cast<uint8_t>(number(option, arg("0x7F"), 0xFF));
  } else if (name == "unknown-family") {
    faults.unknown_family = static_cast<uint8_t>(number(option, arg("4"), 0xFF));
  } else if (name == "stuck-bit") {
    auto parts = split(arg(nullptr), ':');
    if (parts.size() < 2 || parts.size() > 3) throw ConfigError(option + ": expected ADDR:BIT[:LEVEL]");
    StuckBit bit;
    bit.address = static_cast<uint32_t>(number(option, parts[0], 0xFFFFFFFF));
    bit.bit = static_cast<unsigned>(number(option, parts[1], 15));
    bit.level = parts.size() == 3 && number(option, parts[2], 1) == 1;
    faults.stuck_bits.push_back(bit);
  } else if (name == "silent-after") {
    faults.silent_after = number(option, arg(nullptr), UINT64_MAX);
  } else if (name == "remove-after") {
    faults.remove_after = number(option, arg(nullptr), UINT64_MAX);
  } else if (name == "unsolicited") {
    faults.unsolicited_after = number(option, arg("0"), UINT64_MAX);
  } else if (name == "short-report") {
    faults.short_report = number(option, arg("63"), kPacketSize - 1);
  } else if (name == "get-data-count") {
    faults.get_data_count = static_cast<uint8_t>(number(option, arg("59"), 0xFF));
  } else if (name == "get-data-address") {
    std::string text = arg("1");
    bool negative = !text.empty() && text[0] == '-';
    int64_t delta = static_cast<int64_t>(number(option, negative ? text.substr(1) : text, 0xFFFFFFFF));
    faults.get_data_address = negative ? -delta : delta;
  } else if (name == "claim-size") {
    faults.claim_size = static_cast<uint32_t>(number(option, arg(nullptr), 0xFFFFFFFF));
  } else if (name == "flood") {
    faults.flood = static_cast<unsigned>(number(option, arg("10"), 1000));
    if (*faults.flood == 0) throw ConfigError(option + ": at least one report a millisecond");
  } else {
    throw ConfigError("unknown fault \"" + name + "\"");
  }
}

// The base device: the preset that --preset names, wherever it stands.
Config preset_named_in(const std::vector<std::string>& args) {
  Config config;
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] != "--preset") continue;
    const std::string& which = args[i + 1];
    if (which == "family1") {
      config = preset(Preset::family1);
    } else if (which == "family2") {
      config = preset(Preset::family2);
    } else if (which == "family3") {
      config = preset(Preset::family3);
    } else {
      throw ConfigError("--preset: expected family1, family2 or family3, not \"" + which + "\"");
    }
  }
  return config;
}

// Throws unless option is one that takes a value.
void check_valued(const std::string& option) {
  static const char* const kValued[] = {
      "--vid",    "--pid",    "--manufacturer", "--product",  "--serial", "--family", "--bytes-per-packet",
      "--region", "--preset", "--erase-ms",     "--frame-ms", "--name",   "--fill",   "--dump",
      "--fault"};
  if (std::find(std::begin(kValued), std::end(kValued), option) == std::end(kValued)) {
    throw ConfigError(option.rfind("--", 0) == 0 ? "unknown option " + option
                                                 : "unexpected argument \"" + option + "\"");
  }
}

// The first --region replaces the preset's regions; own_regions tells it has come.
void add_region(Config& c, const std::string& value, bool& own_regions) {
  const std::string option = "--region";
  auto parts = split(value, ':');
  if (parts.size() != 3) throw ConfigError("--region: expected TYPE:ADDR:SIZE, not \"" + value + "\"");
  if (!own_regions) c.regions.clear();
  own_regions = true;
  c.regions.push_back({static_cast<uint8_t>(number(option, parts[0], 0xFF)),
                       static_cast<uint32_t>(number(option, parts[1], 0xFFFFFFFF)),
                       static_cast<uint32_t>(number(option, parts[2], 0xFFFFFFFF))});
}

// One option that check_valued() accepts, with its value.
void set_option(Config& c, const std::string& option, const std::string& value, bool& own_regions) {
  if (option == "--vid") {
    c.vendor_id = static_cast<uint16_t>(number(option, value, 0xFFFF));
  } else if (option == "--pid") {
    c.product_id = static_cast<uint16_t>(number(option, value, 0xFFFF));
  } else if (option == "--manufacturer") {
    c.manufacturer = value;
  } else if (option == "--product") {
    c.product = value;
  } else if (option == "--serial") {
    c.serial_number = value;
  } else if (option == "--family") {
    c.family = static_cast<uint8_t>(number(option, value, 0xFF));
  } else if (option == "--bytes-per-packet") {
    c.bytes_per_packet = static_cast<uint8_t>(number(option, value, 0xFF));
  } else if (option == "--region") {
    add_region(c, value, own_regions);
  } else if (option == "--preset") {
    // applied first, by preset_named_in()
  } else if (option == "--erase-ms") {
    c.erase_ms = static_cast<unsigned>(number(option, value, 600000));
  } else if (option == "--frame-ms") {
    c.frame_ms = static_cast<unsigned>(number(option, value, 1000));
  } else if (option == "--name") {
    c.name = value;
  } else if (option == "--fill") {
    c.fill_file = value;
  } else if (option == "--dump") {
    c.dump_file = value;
  } else if (option == "--fault") {
    add_fault(c.faults, value);
  }
}

}  // namespace

ParsedArgs parse_args(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  // The preset first, so that every other option refines it.
  parsed.config = preset_named_in(args);
  Config& c = parsed.config;
  bool own_regions = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--help" || option == "-h") {
      parsed.help = true;
      continue;
    }
    if (option == "--verbose" || option == "-v") {
      c.verbose = true;
      continue;
    }
    check_valued(option);
    if (i + 1 >= args.size()) throw ConfigError(option + ": needs a value");
    set_option(c, option, args[++i], own_regions);
  }
  validate(c);
  return parsed;
}

std::string usage() {
  return R"(usage: bootloader-sim [options]
Serves one simulated HID bootloader device on the HID bus (a virtual device in
HIDBUS_VIRTUAL_DIR) until SIGINT or SIGTERM. Prints "ready PATH" once published.

  --preset family1|family2|family3   base device (default family1)
  --vid N, --pid N                   USB vendor and product ID (default 0x04D8, 0x003C)
  --manufacturer S, --product S, --serial S
  --family N                         device family in the QUERY_DEVICE reply
  --bytes-per-packet N               data bytes per packet in the reply
  --region TYPE:ADDR:SIZE            a memory region, in device address units (repeatable)
  --erase-ms N                       time an erase takes (default 250)
  --frame-ms N                       one report per N ms in each direction (default 1; 0: no pacing;
                                     at most 1000)
  --name S                           virtual device name, at most 77 bytes (default bootloader)
  --fill FILE.hex                    initial memory (default: all 0xFF)
  --dump FILE                        write the memory as Intel HEX on change and at exit
  --verbose, -v                      log ignored writes and reads to stderr
  --fault F                          (repeatable) one of:
      no-query-reply                 QUERY_DEVICE goes unanswered
      wrong-command[=B]              every reply's command byte is B (default 0x7F)
      unknown-family[=N]             the reply names family N (default 4)
      stuck-bit=ADDR:BIT[:LEVEL]     that bit of device address ADDR always reads LEVEL (default 0)
      silent-after=N                 nothing after the first N packets is handled or answered
      remove-after=N                 the device leaves the bus after handling N packets
      unsolicited[=N]                one unasked report after packet N (default 0: on connect)
      short-report[=LEN]             GET_DATA answers are LEN bytes long (default 63)
      get-data-count[=N]             GET_DATA answers carry count N (default 59)
      get-data-address[=D]           GET_DATA answers name their address plus D (default 1)
      claim-size=N                   the QUERY_DEVICE reply claims N addresses for every region
      flood[=N]                      N unasked reports every millisecond from the connect on (default 10)
Numbers are decimal or 0x-prefixed hexadecimal.
)";
}

}  // namespace sim
