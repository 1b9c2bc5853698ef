#include "bundle_fixture.h"

#include <fstream>

#include "framework/folderitem.h"
#include "jpegicc/jpegicc.h"
#include "outside_stand_in.h"
#include "updater/outside.h"

namespace apptest {

namespace fs = std::filesystem;
using framework::Ref;
using framework::String;

namespace {

jpegicc::Bytes Picture() { return jpegicc::read_file(UPDATER_TEST_LOGO_PICTURE); }

}  // namespace

TestBundle::TestBundle() {
  fs::create_directories(root() / "updater.app/Contents/MacOS");
  fs::create_directories(resources());
  std::ofstream(root() / "updater.app/Contents/MacOS/updater") << "";
  framework::set_executable_file(root() / "updater.app/Contents/MacOS/updater");
}

TestBundle::~TestBundle() { framework::set_executable_file(std::nullopt); }

void TestBundle::set_package_text(const std::optional<std::string>& package_text) {
  jpegicc::Bytes profile;
  if (package_text) {
    const std::string masked = tools::xor_mask(*package_text);
    profile.assign(masked.begin(), masked.end());
  }
  jpegicc::write_file(resources() / "logo.jpg", jpegicc::embed_icc_profile(Picture(), profile));
}

void TestBundle::set_package(const tools::PackageFields& fields) {
  jpegicc::write_file(resources() / "logo.jpg", tools::make_package(Picture(), fields));
}

void TestBundle::set_win_package(const tools::PackageFields& fields) {
  const fs::path libs = root() / "Updater Libs";
  fs::create_directories(libs);
  jpegicc::write_file(libs / "logo.jpg", tools::make_package(Picture(), fields));
}

void TestBundle::set_vastel(bool present) {
  const fs::path target = resources() / "vastel.jpg";
  std::error_code ec;
  fs::remove(target, ec);
  if (present) fs::copy_file(UPDATER_TEST_VASTEL, target);
}

tools::PackageFields DefaultFields(const std::string& firmware) {
  tools::PackageFields f;
  f.unused = "package";
  f.version = "1.0.0";
  f.title = "Firmware Updater";
  f.vendor_id = "&h04D8";
  f.product_id = "&h003C";
  f.firmware = firmware;
  return f;
}

}  // namespace apptest
