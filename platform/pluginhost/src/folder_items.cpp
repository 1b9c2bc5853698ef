// The 70-byte file record of folder items, of the host's own making:
//   bytes 0-1  volume, always 1 (host byte order)
//   bytes 2-5  folder number: the host's number for the item's folder
//   byte  6    length of the name, 0 to 63
//   bytes 7-69 the item's name in its folder, as the file system stores it
// Folder numbers are handed out as records are filled and stay valid for the
// process. A record of an item whose name does not fit is not filled.

#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <vector>

#include "framework/folderitem.h"
#include "pluginhost/handles.h"
#include "services.h"

namespace pluginhost::services {
namespace {

constexpr uint16_t kVolume = 1;
constexpr size_t kNameBytes = 63;

struct Folders {
  std::mutex mutex;
  std::vector<std::filesystem::path> paths;  // number n is paths[n - 1]
  std::map<std::filesystem::path, uint32_t> numbers;
};

Folders& folders() {
  static Folders* f = new Folders;
  return *f;
}

uint32_t NumberOf(const std::filesystem::path& folder) {
  Folders& f = folders();
  std::lock_guard lock(f.mutex);
  auto [it, added] = f.numbers.try_emplace(folder, static_cast<uint32_t>(f.paths.size() + 1));
  if (added) f.paths.push_back(folder);
  return it->second;
}

bool FolderOf(uint32_t number, std::filesystem::path* folder) {
  Folders& f = folders();
  std::lock_guard lock(f.mutex);
  if (number == 0 || number > f.paths.size()) return false;
  *folder = f.paths[number - 1];
  return true;
}

}  // namespace

REALfolderItem FolderItemFromFSSpec(const REALFSSpec* spec) {
  if (spec == nullptr) return nullptr;
  uint16_t volume;
  uint32_t number;
  std::memcpy(&volume, spec->bytes, 2);
  std::memcpy(&number, spec->bytes + 2, 4);
  size_t length = spec->bytes[6];
  std::filesystem::path folder;
  if (volume != kVolume || length > kNameBytes || !FolderOf(number, &folder)) return nullptr;
  std::string name(reinterpret_cast<const char*>(spec->bytes + 7), length);
  if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos) return nullptr;
  std::filesystem::path path = name.empty() ? folder : folder / name;
  return to_handle(framework::make<framework::FolderItem>(path).detach());
}

REALboolean REALFSSpecFromFolderItem(REALFSSpec* spec, REALfolderItem item) {
  framework::FolderItem* folder_item = from_handle(item);
  if (spec == nullptr || folder_item == nullptr) return 0;
  std::filesystem::path path = folder_item->path().lexically_normal();
  if (path.has_relative_path() && !path.has_filename()) path = path.parent_path();  // "dir/" is "dir"
  std::string name = path.filename().string();
  if (name.size() > kNameBytes || path.empty()) return 0;
  std::filesystem::path parent = name.empty() ? path : path.parent_path();
  std::memset(spec->bytes, 0, sizeof spec->bytes);
  uint32_t number = NumberOf(parent);
  std::memcpy(spec->bytes, &kVolume, 2);
  std::memcpy(spec->bytes + 2, &number, 4);
  spec->bytes[6] = static_cast<unsigned char>(name.size());
  std::memcpy(spec->bytes + 7, name.data(), name.size());
  return 1;
}

REALstring PluginFolderItemPath(REALfolderItem item) {
  framework::FolderItem* folder_item = from_handle(item);
  if (folder_item == nullptr) return nullptr;
  return new_string_handle(framework::String(folder_item->path().string()));
}

}  // namespace pluginhost::services
