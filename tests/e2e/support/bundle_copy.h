#pragma once
// A copy of a built bundle in a scratch folder, so that a test can change its
// package without touching the stage folder.

#include <filesystem>
#include <string>

#include "process_run.h"
#include "scratch_dir.h"

namespace e2e {

class BundleCopy {
 public:
  // `name`: "updater" or "updater-diag" (name.app), or "updater-win" (the
  // folder win with updater-win beside Updater Libs).
  explicit BundleCopy(const std::string& name);

  std::filesystem::path program() const;
  // The folder of logo.jpg: Contents/Resources, or Updater Libs.
  std::filesystem::path resources() const;
  // Replaces logo.jpg by a package of the given unmasked text.
  void set_package_text(const std::string& text);

  // Runs the program headless with `script`; the transcript is standard output.
  testsupport::Outcome RunHeadless(const std::string& script, const testsupport::Environment& env = {},
                                   std::chrono::milliseconds limit = std::chrono::seconds(60)) const;

 private:
  testsupport::ScratchDir dir_;
  std::string name_;
};

}  // namespace e2e
