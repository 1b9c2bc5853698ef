#include "bundle_fixture.h"

#include <fstream>
#include <random>

#include "framework/folderitem.h"
#include "framework/ui/picture.h"
#include "jpegicc/jpegicc.h"
#include "updater/outside.h"

namespace apptest {

namespace fs = std::filesystem;
using framework::Ref;
using framework::String;

namespace {

jpegicc::Bytes Picture() { return jpegicc::read_file(UPDATER_TEST_LOGO_PICTURE); }

class StandInImporter final : public updater::JPEGImporter {
 public:
  void set_File(const Ref<framework::FolderItem>& file) override { file_ = file; }
  void set_ReadMarkers(bool value) override { markers_ = value; }
  void set_ReadProfileData(bool value) override { profile_wanted_ = value; }
  void Import() override {
    if (!file_) return;
    jpegicc::Bytes bytes;
    try {
      bytes = jpegicc::read_file(file_->path());
    } catch (const jpegicc::Error&) {
      return;
    }
    if (markers_ && profile_wanted_) {
      jpegicc::Bytes p = jpegicc::read_icc_profile(bytes);
      profile_ = String::from_bytes(std::string_view(reinterpret_cast<const char*>(p.data()), p.size()),
                                    framework::Encodings.Undetermined);
    }
    picture_ = framework::Picture::FromJPEG(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  String ProfileData() override { return profile_; }
  Ref<framework::Picture> Picture() override { return picture_; }

 private:
  Ref<framework::FolderItem> file_;
  bool markers_ = false;
  bool profile_wanted_ = false;
  String profile_;
  Ref<framework::Picture> picture_;
};

}  // namespace

TestBundle::TestBundle() {
  std::random_device rd;
  root_ = fs::temp_directory_path() / ("updater-test-" + std::to_string(rd()));
  fs::create_directories(root_ / "updater.app/Contents/MacOS");
  fs::create_directories(resources());
  std::ofstream(root_ / "updater.app/Contents/MacOS/updater") << "";
  framework::set_executable_file(root_ / "updater.app/Contents/MacOS/updater");
}

TestBundle::~TestBundle() {
  framework::set_executable_file(std::nullopt);
  std::error_code ec;
  fs::remove_all(root_, ec);
}

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

void InstallOutsideStandIns() {
  updater::OutsideMembers m;
  m.NewJPEGImporter = [] { return std::make_unique<StandInImporter>(); };
  m.StringXORQVX = [](const String& data, const String& mask, int32_t offset) {
    std::string out(data.bytes());
    const std::string_view k = mask.bytes();
    if (!k.empty()) {
      for (std::size_t i = 0; i < out.size(); ++i) out[i] ^= k[(i + offset) % k.size()];
    }
    return String::from_bytes(out, data.encoding());
  };
  updater::set_outside(std::move(m));
}

}  // namespace apptest
