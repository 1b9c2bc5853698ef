#include "jpegicc/jpegicc.h"

#include "fileread/fileread.h"

#include <fstream>
#include <system_error>

namespace jpegicc {

Bytes read_file(const std::filesystem::path& path) {
  const fileread::FileRead read = fileread::read_file(path.string());
  if (!read.ok()) throw Error((read.opened ? "cannot read " : "cannot open ") + path.string() + ": " + read.reason());
  return Bytes(read.bytes.begin(), read.bytes.end());
}

void write_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  // Written beside the target and renamed over it, so a failed write never
  // leaves a half file in place of the old one.
  std::filesystem::path partial = path;
  partial += ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) throw Error("cannot create " + path.string());
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(partial, ignored);
      throw Error("cannot write " + path.string());
    }
  }
  std::error_code error;
  std::filesystem::rename(partial, path, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    throw Error("cannot write " + path.string() + ": " + error.message());
  }
}

}  // namespace jpegicc
