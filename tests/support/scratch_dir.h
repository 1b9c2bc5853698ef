#pragma once
// A fresh folder for one test, and the few file helpers the tests around it
// need.

#include <filesystem>
#include <string>

namespace testsupport {

// A new empty folder under the system's temporary folder, removed with
// everything in it by the destructor. Throws std::runtime_error when it
// cannot be made.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The file's bytes; empty when it cannot be read.
std::string ReadText(const std::filesystem::path& path);
// Writes the file, making the folders on its way.
void WriteText(const std::filesystem::path& path, const std::string& text);

}  // namespace testsupport
