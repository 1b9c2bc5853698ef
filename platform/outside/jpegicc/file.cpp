#include "jpegicc/jpegicc.h"

#include <fstream>
#include <iterator>

namespace jpegicc {

Bytes read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Error("cannot open " + path.string());
    Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw Error("cannot read " + path.string());
    return bytes;
}

void write_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw Error("cannot create " + path.string());
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw Error("cannot write " + path.string());
}

} // namespace jpegicc
