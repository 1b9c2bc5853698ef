#pragma once
// The bootloader as the device sees the protocol: one 64-byte output report
// in, the answers out. No I/O and no clock here; the server paces it.

#include <sim/config.h>
#include <sim/intel_hex.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace sim {

class Device {
 public:
  // Memory starts erased (0xFF). Throws ConfigError when validate() does.
  explicit Device(Config config);

  struct Response {
    std::vector<std::vector<uint8_t>> reports;  // input reports to send, in order
    unsigned busy_ms = 0;                       // the device reads nothing more for this long (erasing)
    bool leave = false;                         // the device leaves the bus once the reports are out
    bool reset = false;                         // RESET_DEVICE: the device drops off and comes back
  };

  // One output report from the host; a shorter one reads as padded with 0.
  //  QUERY_DEVICE: 0x02, BytesPerPacket, family, the regions (type, address,
  //    size; little-endian), then 0xFF unless all six entries are used.
  //  ERASE_DEVICE: program regions to 0xFF; busy for erase_ms; no answer.
  //  PROGRAM_DEVICE: the count bytes right-aligned in bytes 64-count..63 go
  //    to address, bytes_per_address bytes per address; no answer. Bytes
  //    outside every region, and packets with a count above 58, are ignored.
  //  PROGRAM_COMPLETE: no answer.
  //  GET_DATA: 0x07, address, count, the data right-aligned to byte 63; a
  //    count above 58 is answered with 58 bytes. Bytes outside every region read 0.
  //  RESET_DEVICE: reset. Any other command: ignored.
  // The faults of the configuration apply on top.
  Response handle(std::span<const uint8_t> report);
  // What the device does when a host connects (unsolicited=0, remove-after=0).
  Response on_connect();

  // Stores every byte of image that lies in a region; the rest is ignored.
  void fill(const HexImage& image);
  // Every region's bytes at their hex byte addresses (device address times
  // bytes per address), in region order, as reads answer them: where regions
  // overlap, the bytes of the first region that holds the address.
  std::vector<HexBlock> memory() const;
  // memory() as Intel HEX, each byte address once.
  std::string intel_hex() const;
  // Grows whenever a byte is stored or erased.
  uint64_t changes() const { return changes_; }
  uint64_t packets() const { return packets_; }
  uint64_t ignored_bytes() const { return ignored_bytes_; }
  const Config& config() const { return config_; }

  // Receives the lines of verbose mode (ignored writes and reads).
  void set_log(std::function<void(const std::string&)> log) { log_ = std::move(log); }

 private:
  struct Bank {
    Region region;
    uint64_t first_byte;  // hex byte address of bytes[0]
    std::vector<uint8_t> bytes;
  };

  uint8_t* byte_at(uint64_t byte_address);
  void store(uint64_t byte_address, uint8_t value);
  std::vector<uint8_t> query_reply() const;
  std::vector<uint8_t> get_data_reply(uint32_t address, uint8_t count);
  void note(const std::string& line) const;

  Config config_;
  unsigned bpa_;
  std::vector<Bank> banks_;
  uint64_t changes_ = 0;
  uint64_t packets_ = 0;
  uint64_t ignored_bytes_ = 0;
  std::function<void(const std::string&)> log_;
};

}  // namespace sim
