#include "app_folder.h"

#include <algorithm>
#include <fstream>

#include "framework/folderitem.h"

namespace hidtest {

AppFolder::AppFolder() { framework::set_executable_file(path() / "updater"); }

AppFolder::~AppFolder() { framework::set_executable_file(std::nullopt); }

std::vector<std::string> AppFolder::Files() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> AppFolder::Lines(const std::string& name) const {
  std::vector<std::string> lines;
  std::ifstream in(path() / name);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace hidtest
