#pragma once
// Files: FolderItem and TextOutputStream.
//
// The application's folder is the folder holding the executable, or, when the
// executable lies in a bundle (X.app/Contents/MacOS/name), the folder holding
// X.app.

#include <filesystem>
#include <optional>

#include "framework/object.h"
#include "framework/string.h"

namespace framework {

class TextOutputStream;

class FolderItem : public Object {
 public:
  static const ClassRecord& class_record();  // "FolderItem"

  explicit FolderItem(std::filesystem::path path) : path_(std::move(path)) {}
  FolderItem() = default;

  const std::filesystem::path& path() const { return path_; }
  String NativePath() const { return String(path_.string()); }
  String Name() const { return String(path_.filename().string()); }

  // The containing folder; nil at the root.
  Ref<FolderItem> Parent() const;
  // The item `name` inside this folder, whether it exists or not; nil for an
  // empty name or one holding "/", ".." or ".".
  Ref<FolderItem> Child(const String& name) const;
  bool Exists() const;
  bool Directory() const;

  // Creates (or empties) the file and opens it for writing; nil on failure.
  Ref<TextOutputStream> CreateTextFile() const;

 private:
  std::filesystem::path path_;
};

// Writes text to a file; closed when released.
class TextOutputStream : public Object {
 public:
  static const ClassRecord& class_record();  // "TextOutputStream"

  TextOutputStream() = default;

  // The bytes of `text` as stored, then EndOfLine; flushed at once so nothing
  // is lost when the application ends abruptly. Nothing after Close.
  void WriteLine(const String& text);
  void Write(const String& text);
  void Close();

 protected:
  void dispose() noexcept override { Close(); }

 private:
  friend class FolderItem;
  int fd_ = -1;
};

// App.ExecutableFile: /proc/self/exe, unless overridden.
Ref<FolderItem> ExecutableFile();
// Tests pretend the executable lies elsewhere; nullopt goes back to the real one.
void set_executable_file(std::optional<std::filesystem::path> path);

// The bundle's Resources folder (X.app/Contents/Resources); nil when the
// executable is not inside a bundle.
Ref<FolderItem> ResourcesFolder();

// The item at `path`, relative to the application's folder unless absolute.
// Only path kind 0 (a native path) is known; other kinds and an empty path
// give nil.
Ref<FolderItem> GetFolderItem(const String& path, int kind = 0);

}  // namespace framework
