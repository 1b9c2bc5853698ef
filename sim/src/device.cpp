#include <sim/device.h>

#include <algorithm>
#include <cstdio>

namespace sim {
namespace {

uint32_t le32(std::span<const uint8_t> p, size_t at) {
  return uint32_t{p[at]} | uint32_t{p[at + 1]} << 8 | uint32_t{p[at + 2]} << 16 | uint32_t{p[at + 3]} << 24;
}

void put_le32(std::vector<uint8_t>& p, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::string hex(uint64_t value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "0x%llX", static_cast<unsigned long long>(value));
  return buffer;
}

}  // namespace

Device::Device(Config config) : config_(std::move(config)), bpa_(config_.bytes_per_address()) {
  validate(config_);
  for (const auto& region : config_.regions) {
    banks_.push_back({region, uint64_t{region.address} * bpa_, std::vector<uint8_t>(size_t{region.size} * bpa_, 0xFF)});
  }
  // A stuck bit shows from the start.
  for (auto& bank : banks_) {
    for (size_t i = 0; i < bank.bytes.size(); ++i) store(bank.first_byte + i, 0xFF);
  }
  changes_ = 0;
}

uint8_t* Device::byte_at(uint64_t byte_address) {
  for (auto& bank : banks_) {
    if (byte_address >= bank.first_byte && byte_address - bank.first_byte < bank.bytes.size()) {
      return &bank.bytes[byte_address - bank.first_byte];
    }
  }
  return nullptr;
}

void Device::store(uint64_t byte_address, uint8_t value) {
  uint8_t* byte = byte_at(byte_address);
  if (!byte) {
    ++ignored_bytes_;
    return;
  }
  for (const auto& stuck : config_.faults.stuck_bits) {
    if (uint64_t{stuck.address} * bpa_ + stuck.bit / 8 != byte_address) continue;
    uint8_t mask = static_cast<uint8_t>(1u << (stuck.bit % 8));
    value = stuck.level ? (value | mask) : (value & ~mask);
  }
  *byte = value;
  ++changes_;
}

void Device::note(const std::string& line) const {
  if (log_) log_(line);
}

std::vector<uint8_t> Device::query_reply() const {
  std::vector<uint8_t> r(kPacketSize, 0);
  r[0] = kQueryDevice;
  r[1] = config_.bytes_per_packet;
  r[2] = config_.faults.unknown_family.value_or(config_.family);
  size_t at = 3;
  for (const auto& region : config_.regions) {
    r[at] = region.type;
    put_le32(r, at + 1, region.address);
    // A claimed size changes only what the device says, not its memory.
    put_le32(r, at + 5, config_.faults.claim_size.value_or(region.size));
    at += 9;
  }
  if (config_.regions.size() < 6) r[at] = 0xFF;
  return r;
}

std::vector<uint8_t> Device::get_data_reply(uint32_t address, uint8_t asked) {
  uint8_t count = std::min<uint8_t>(asked, kMaxData);
  if (count != asked) note("GET_DATA for " + std::to_string(asked) + " bytes answered with 58");
  std::vector<uint8_t> r(kPacketSize, 0);
  r[0] = kGetData;
  put_le32(r, 1, address);
  r[5] = count;
  size_t outside = 0;
  for (size_t j = 0; j < count; ++j) {
    const uint8_t* byte = byte_at(uint64_t{address} * bpa_ + j);
    if (!byte) ++outside;
    r[kPacketSize - count + j] = byte ? *byte : 0;
  }
  if (outside) note("GET_DATA at " + hex(address) + ": " + std::to_string(outside) + " bytes outside every region");
  const Faults& f = config_.faults;
  if (f.get_data_count) r[5] = *f.get_data_count;
  if (f.get_data_address) put_le32(r, 1, static_cast<uint32_t>(address + *f.get_data_address));
  if (f.short_report) r.resize(*f.short_report);
  return r;
}

Device::Response Device::handle(std::span<const uint8_t> report) {
  ++packets_;
  const Faults& f = config_.faults;
  Response response;
  if (f.remove_after && packets_ >= *f.remove_after) response.leave = true;
  if (f.silent_after && packets_ > *f.silent_after) return response;

  std::vector<uint8_t> p(kPacketSize, 0);
  std::copy_n(report.begin(), std::min(report.size(), kPacketSize), p.begin());
  uint32_t address = le32(p, 1);
  uint8_t count = p[5];
  switch (p[0]) {
    case kQueryDevice:
      if (!f.no_query_reply) response.reports.push_back(query_reply());
      break;
    case kEraseDevice:
      for (auto& bank : banks_) {
        if (bank.region.type != kProgramRegion) continue;
        for (size_t i = 0; i < bank.bytes.size(); ++i) store(bank.first_byte + i, 0xFF);
      }
      response.busy_ms = config_.erase_ms;
      break;
    case kProgramDevice: {
      if (count > kMaxData) {
        note("PROGRAM_DEVICE with count " + std::to_string(count) + " ignored");
        break;
      }
      uint64_t before = ignored_bytes_;
      for (size_t j = 0; j < count; ++j) store(uint64_t{address} * bpa_ + j, p[kPacketSize - count + j]);
      if (ignored_bytes_ != before) {
        note("PROGRAM_DEVICE at " + hex(address) + ": " + std::to_string(ignored_bytes_ - before) +
             " bytes outside every region ignored");
      }
      break;
    }
    case kProgramComplete:
      break;
    case kGetData:
      response.reports.push_back(get_data_reply(address, count));
      break;
    case kResetDevice:
      response.reset = true;
      break;
    default:
      note("unknown command " + hex(p[0]) + " ignored");
      break;
  }
  if (f.wrong_command) {
    for (auto& r : response.reports) {
      if (!r.empty()) r[0] = *f.wrong_command;
    }
  }
  if (f.unsolicited_after && *f.unsolicited_after == packets_) {
    response.reports.push_back(std::vector<uint8_t>(kPacketSize, 0x5A));
  }
  return response;
}

Device::Response Device::on_connect() {
  const Faults& f = config_.faults;
  Response response;
  if (f.unsolicited_after && *f.unsolicited_after == 0) {
    response.reports.push_back(std::vector<uint8_t>(kPacketSize, 0x5A));
  }
  if (f.remove_after && *f.remove_after == 0) response.leave = true;
  return response;
}

void Device::fill(const HexImage& image) {
  for (const auto& [address, byte] : image) {
    if (byte_at(address)) store(address, byte);
  }
}

std::vector<HexBlock> Device::memory() const {
  std::vector<HexBlock> blocks;
  for (size_t i = 0; i < banks_.size(); ++i) {
    const Bank& bank = banks_[i];
    HexBlock block{static_cast<uint32_t>(bank.first_byte), bank.bytes};
    // Where regions overlap, reads and writes reach the first one that holds
    // the address: a later one shows that region's bytes, not its own unused ones.
    for (size_t j = i; j-- > 0;) {
      const Bank& earlier = banks_[j];
      const uint64_t first = std::max(bank.first_byte, earlier.first_byte);
      const uint64_t last = std::min(bank.first_byte + bank.bytes.size(), earlier.first_byte + earlier.bytes.size());
      if (first >= last) continue;
      std::copy(earlier.bytes.begin() + static_cast<ptrdiff_t>(first - earlier.first_byte),
                earlier.bytes.begin() + static_cast<ptrdiff_t>(last - earlier.first_byte),
                block.bytes.begin() + static_cast<ptrdiff_t>(first - bank.first_byte));
    }
    blocks.push_back(std::move(block));
  }
  return blocks;
}

std::string Device::intel_hex() const {
  // Each byte address once: what an earlier block already holds is left out.
  const std::vector<HexBlock> blocks = memory();
  std::vector<HexBlock> parts;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const uint64_t start = blocks[i].address;
    std::vector<std::pair<uint64_t, uint64_t>> pieces = {{start, start + blocks[i].bytes.size()}};
    for (size_t j = 0; j < i; ++j) {
      const uint64_t first = blocks[j].address, last = first + blocks[j].bytes.size();
      std::vector<std::pair<uint64_t, uint64_t>> rest;
      for (const auto& [from, to] : pieces) {
        if (from < std::min(to, first)) rest.push_back({from, std::min(to, first)});
        if (std::max(from, last) < to) rest.push_back({std::max(from, last), to});
      }
      pieces = std::move(rest);
    }
    for (const auto& [from, to] : pieces) {
      const auto begin = blocks[i].bytes.begin() + static_cast<ptrdiff_t>(from - start);
      parts.push_back(
          {static_cast<uint32_t>(from), std::vector<uint8_t>(begin, begin + static_cast<ptrdiff_t>(to - from))});
    }
  }
  return write_intel_hex(parts);
}

}  // namespace sim
