#pragma once
// A bundle laid out in a scratch folder, as the application expects to find
// itself: updater.app/Contents/MacOS/updater and Contents/Resources holding
// logo.jpg (a firmware package) and, when asked, vastel.jpg. The framework is
// told that the running executable lies in it.

#include <filesystem>
#include <optional>
#include <string>

#include "mkpackage/package.h"
#include "scratch_dir.h"

namespace apptest {

class TestBundle {
 public:
  TestBundle();
  ~TestBundle();
  TestBundle(const TestBundle&) = delete;
  TestBundle& operator=(const TestBundle&) = delete;

  // logo.jpg: the sample picture carrying `package_text` masked as its profile
  // (no profile at all when nullopt).
  void set_package_text(const std::optional<std::string>& package_text);
  // logo.jpg made from the fields with the package maker.
  void set_package(const tools::PackageFields& fields);
  // The same where the win variant looks for it: in "Updater Libs" beside
  // the application.
  void set_win_package(const tools::PackageFields& fields);
  void set_vastel(bool present);

  const std::filesystem::path& root() const { return dir_.path(); }
  std::filesystem::path resources() const { return root() / "updater.app/Contents/Resources"; }

 private:
  testsupport::ScratchDir dir_;
};

// Fields of a complete package for the default device, with `firmware`.
tools::PackageFields DefaultFields(const std::string& firmware);

}  // namespace apptest
