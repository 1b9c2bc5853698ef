#include "pluginhost/loader.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>

#include "framework/folderitem.h"
#include "framework/system.h"
#include "pluginhost/call_frame.h"
#include "pluginhost/host.h"

namespace pluginhost {
namespace {

void Log(const std::string& line) { framework::System::DebugLog(framework::String(line)); }

enum class Export { yes, no, unknown };

// Whether the ELF image defines the dynamic symbol `name`, from its section
// headers; unknown when it is no image of ours or cannot be read so far.
template <class Ehdr, class Shdr, class Sym>
Export FindExport(std::string_view image, std::string_view name) {
  auto read = [&](auto& into, uint64_t offset) {
    if (offset > image.size() || image.size() - offset < sizeof into) return false;
    std::memcpy(&into, image.data() + offset, sizeof into);
    return true;
  };
  Ehdr header;
  if (!read(header, 0) || header.e_shentsize != sizeof(Shdr)) return Export::unknown;
  for (unsigned i = 0; i < header.e_shnum; ++i) {
    Shdr symbols, strings;
    if (!read(symbols, header.e_shoff + uint64_t(i) * sizeof(Shdr))) return Export::unknown;
    if (symbols.sh_type != SHT_DYNSYM) continue;
    if (!read(strings, header.e_shoff + uint64_t(symbols.sh_link) * sizeof(Shdr)) || strings.sh_offset > image.size() ||
        image.size() - strings.sh_offset < strings.sh_size) {
      return Export::unknown;
    }
    const std::string_view names = image.substr(strings.sh_offset, strings.sh_size);
    const uint64_t end = symbols.sh_offset + symbols.sh_size;
    for (uint64_t at = symbols.sh_offset; at + sizeof(Sym) <= end; at += sizeof(Sym)) {
      Sym symbol;
      if (!read(symbol, at)) return Export::unknown;
      if (symbol.st_shndx == SHN_UNDEF || symbol.st_name >= names.size()) continue;
      const std::string_view rest = names.substr(symbol.st_name);
      if (rest.substr(0, rest.find('\0')) == name) return Export::yes;
    }
    return Export::no;
  }
  return Export::unknown;
}

// Looked up before loading: a library in the folder that is no plug-in (the
// framework's Qt module, say) is not mapped, nor are the libraries it needs.
Export ExportsPluginMain(const std::filesystem::path& file) {
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Export::unknown;
  struct stat st;
  void* map = MAP_FAILED;
  if (fstat(fd, &st) == 0 && st.st_size > EI_NIDENT) {
    map = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  }
  close(fd);
  if (map == MAP_FAILED) return Export::unknown;
  const std::string_view image(static_cast<const char*>(map), static_cast<size_t>(st.st_size));
  Export found = Export::unknown;
  const auto* ident = reinterpret_cast<const unsigned char*>(image.data());
  constexpr unsigned char kNativeOrder = std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB;
  if (std::memcmp(ident, ELFMAG, SELFMAG) == 0 && ident[EI_DATA] == kNativeOrder) {
    constexpr std::string_view kMain = "REALPluginMain";
    if (ident[EI_CLASS] == ELFCLASS64) found = FindExport<Elf64_Ehdr, Elf64_Shdr, Elf64_Sym>(image, kMain);
    if (ident[EI_CLASS] == ELFCLASS32) found = FindExport<Elf32_Ehdr, Elf32_Shdr, Elf32_Sym>(image, kMain);
  }
  munmap(map, image.size());
  return found;
}

std::mutex loaded_mutex;
std::set<void*>& loaded() {
  static auto* handles = new std::set<void*>;
  return *handles;
}

}  // namespace

std::vector<std::filesystem::path> load_plugins(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->path().extension() == ".so" && it->is_regular_file(error)) files.push_back(it->path());
  }
  if (error) {
    Log("Plug-in folder cannot be read: " + folder.string());
    return {};
  }
  std::sort(files.begin(), files.end());

  std::vector<std::filesystem::path> ran;
  for (const auto& file : files) {
    if (ExportsPluginMain(file) == Export::no) {
      Log("Plug-in has no REALPluginMain: " + file.string());
      continue;
    }
    // Each plug-in keeps its symbols to itself; they reach the host only
    // through the resolver.
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* why = dlerror();
      Log("Plug-in cannot be loaded: " + file.string() + (why ? std::string(": ") + why : std::string()));
      continue;
    }
    auto main = reinterpret_cast<REALPluginMainProc>(dlsym(handle, "REALPluginMain"));
    if (main == nullptr) {
      Log("Plug-in has no REALPluginMain: " + file.string());
      dlclose(handle);
      continue;
    }
    {
      std::lock_guard lock(loaded_mutex);
      if (!loaded().insert(handle).second) {
        dlclose(handle);  // drops the reference this dlopen added
        continue;
      }
    }
    CallFrame frame;
    main(resolver());
    try {
      frame.finish();
    } catch (const std::exception& e) {
      Log("Plug-in raised while registering: " + file.string() + ": " + e.what());
    }
    ran.push_back(file);
  }
  return ran;
}

std::filesystem::path bundle_plugin_folder() {
  std::filesystem::path exe = framework::ExecutableFile()->path();
  std::filesystem::path macos = exe.parent_path();
  std::filesystem::path contents = macos.parent_path();
  if (macos.filename() == "MacOS" && contents.filename() == "Contents" &&
      contents.parent_path().extension() == ".app") {
    return contents / "Frameworks";
  }
  return macos / "Updater Libs";
}

}  // namespace pluginhost
