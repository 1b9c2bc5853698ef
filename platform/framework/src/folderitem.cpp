#include "framework/folderitem.h"

#include <fcntl.h>
#include <unistd.h>

#include <mutex>
#include <system_error>

#include "framework/text.h"

namespace framework {
namespace {

std::mutex executable_mutex;
std::optional<std::filesystem::path> executable_override;

std::filesystem::path executable_path() {
  {
    std::lock_guard lock(executable_mutex);
    if (executable_override) return *executable_override;
  }
  std::error_code ec;
  std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : p;
}

// X.app for an executable at X.app/Contents/MacOS/name; empty otherwise.
std::filesystem::path bundle_of(const std::filesystem::path& exe) {
  std::filesystem::path macos = exe.parent_path();
  std::filesystem::path contents = macos.parent_path();
  std::filesystem::path bundle = contents.parent_path();
  if (macos.filename() != "MacOS" || contents.filename() != "Contents" || bundle.extension() != ".app") {
    return {};
  }
  return bundle;
}

void write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

}  // namespace

const ClassRecord& FolderItem::class_record() {
  static ClassRecord& record = define_class("FolderItem", &Object::class_record(), 0, native_type_of<FolderItem>());
  return record;
}

const ClassRecord& TextOutputStream::class_record() {
  static ClassRecord& record =
      define_class("TextOutputStream", &Object::class_record(), 0, native_type_of<TextOutputStream>());
  return record;
}

Ref<FolderItem> FolderItem::Parent() const {
  if (path_.empty() || path_ == path_.root_path()) return nullptr;
  std::filesystem::path trimmed = path_.has_filename() ? path_ : path_.parent_path();
  std::filesystem::path parent = trimmed.parent_path();
  if (parent.empty()) return nullptr;
  return make<FolderItem>(parent);
}

Ref<FolderItem> FolderItem::Child(const String& name) const {
  std::string n = name.utf8();
  if (n.empty() || n == "." || n == ".." || n.find('/') != std::string::npos) return nullptr;
  return make<FolderItem>(path_ / n);
}

bool FolderItem::Exists() const {
  std::error_code ec;
  return !path_.empty() && std::filesystem::exists(path_, ec);
}

bool FolderItem::Directory() const {
  std::error_code ec;
  return std::filesystem::is_directory(path_, ec);
}

Ref<TextOutputStream> FolderItem::CreateTextFile() const {
  if (path_.empty()) return nullptr;
  int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  Ref<TextOutputStream> stream = make<TextOutputStream>();
  stream->fd_ = fd;
  return stream;
}

void TextOutputStream::Write(const String& text) {
  if (fd_ >= 0) write_all(fd_, text.bytes());
}

void TextOutputStream::WriteLine(const String& text) {
  if (fd_ < 0) return;
  // One write per line: a line is never split by an abrupt end.
  std::string line(text.bytes());
  line += static_cast<String>(EndOfLine).bytes();
  write_all(fd_, line);
}

void TextOutputStream::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

Ref<FolderItem> ExecutableFile() {
  std::filesystem::path p = executable_path();
  if (p.empty()) return nullptr;
  return make<FolderItem>(p);
}

void set_executable_file(std::optional<std::filesystem::path> path) {
  std::lock_guard lock(executable_mutex);
  executable_override = std::move(path);
}

Ref<FolderItem> ResourcesFolder() {
  std::filesystem::path bundle = bundle_of(executable_path());
  if (bundle.empty()) return nullptr;
  return make<FolderItem>(bundle / "Contents" / "Resources");
}

Ref<FolderItem> GetFolderItem(const String& path, int kind) {
  std::string p = path.utf8();
  if (kind != 0 || p.empty()) return nullptr;
  std::filesystem::path target(p);
  if (target.is_absolute()) return make<FolderItem>(target);
  std::filesystem::path exe = executable_path();
  if (exe.empty()) return nullptr;
  std::filesystem::path bundle = bundle_of(exe);
  std::filesystem::path folder = bundle.empty() ? exe.parent_path() : bundle.parent_path();
  return make<FolderItem>(folder / target);
}

}  // namespace framework
