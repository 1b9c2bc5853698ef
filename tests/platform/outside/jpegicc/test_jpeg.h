#pragma once

// Small JPEG files made with the JPEG library itself, and its own reading of
// embedded profiles, to hold our code against.

#include "jpegicc/jpegicc.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace jpegicc_test {

struct Rgb {
  std::uint8_t r, g, b;
};

enum class Colour { rgb, grayscale };
enum class Coding { baseline, progressive };

// A JPEG of the given size whose pixel (x, y) is pixel(x, y); `profile` is
// written with the library's own profile writer.
jpegicc::Bytes encode(int width, int height, const std::function<Rgb(int, int)>& pixel,
                      const jpegicc::Bytes& profile = {}, Colour colour = Colour::rgb,
                      Coding coding = Coding::baseline);

// Left half red, right half blue.
jpegicc::Bytes two_colour_picture(int width = 32, int height = 16, const jpegicc::Bytes& profile = {});

// The profile as the JPEG library reads it; nullopt when it finds none.
std::optional<jpegicc::Bytes> library_profile(const jpegicc::Bytes& jpeg);

// Deterministic profile bytes of the given length.
jpegicc::Bytes profile_of(std::size_t size, std::uint8_t seed = 1);

struct Marker {
  std::uint8_t code;
  std::size_t offset;
  std::size_t length;  // the length field; 0 for markers without one
};

// The markers up to the first scan (included), read without our walker.
std::vector<Marker> header_markers(const jpegicc::Bytes& jpeg);

// Offset of the first scan marker.
std::size_t scan_offset(const jpegicc::Bytes& jpeg);

// The frame header (baseline or progressive) set to claim width x height.
void claim_size(jpegicc::Bytes& jpeg, unsigned width, unsigned height);

// The bytes as an open file, read from its start.
class MemoryFile {
 public:
  explicit MemoryFile(const jpegicc::Bytes& bytes);
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  std::FILE* get() const { return file_; }

 private:
  jpegicc::Bytes bytes_;
  std::FILE* file_;
};

}  // namespace jpegicc_test
