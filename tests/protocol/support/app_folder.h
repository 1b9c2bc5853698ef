#pragma once
// A fresh, empty folder that the framework takes for the application's folder
// while the object lives, for the files the module creates there.

#include <filesystem>
#include <string>
#include <vector>

#include "scratch_dir.h"

namespace hidtest {

class AppFolder {
 public:
  AppFolder();
  ~AppFolder();
  AppFolder(const AppFolder&) = delete;
  AppFolder& operator=(const AppFolder&) = delete;

  const std::filesystem::path& path() const { return dir_.path(); }
  // The names of the entries in it, sorted.
  std::vector<std::string> Files() const;
  // The lines of file `name`, without their line ends; empty when it is missing.
  std::vector<std::string> Lines(const std::string& name) const;

 private:
  testsupport::ScratchDir dir_;
};

}  // namespace hidtest
