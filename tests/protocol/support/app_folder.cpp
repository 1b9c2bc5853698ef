#include "app_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>

#include "framework/folderitem.h"

namespace hidtest {

AppFolder::AppFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "hid-app-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "no temporary folder";
  path_ = pattern;
  framework::set_executable_file(path_ / "updater");
}

AppFolder::~AppFolder() {
  framework::set_executable_file(std::nullopt);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> AppFolder::Files() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> AppFolder::Lines(const std::string& name) const {
  std::vector<std::string> lines;
  std::ifstream in(path_ / name);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace hidtest
