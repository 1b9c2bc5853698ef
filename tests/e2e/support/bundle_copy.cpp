#include "bundle_copy.h"

#include "jpegicc/jpegicc.h"
#include "mkpackage/package.h"

namespace e2e {

namespace fs = std::filesystem;

namespace {

const char kWin[] = "updater-win";

}  // namespace

BundleCopy::BundleCopy(const std::string& name) : name_(name) {
  if (name == kWin) {
    fs::copy(fs::path(UPDATER_STAGE_DIR) / "win", dir_ / "win", fs::copy_options::recursive);
  } else {
    fs::copy(fs::path(UPDATER_STAGE_DIR) / (name + ".app"), dir_ / (name + ".app"), fs::copy_options::recursive);
  }
}

fs::path BundleCopy::program() const {
  if (name_ == kWin) return dir_ / "win" / name_;
  return dir_ / (name_ + ".app/Contents/MacOS") / name_;
}

fs::path BundleCopy::resources() const {
  if (name_ == kWin) return dir_ / "win/Updater Libs";
  return dir_ / (name_ + ".app/Contents/Resources");
}

void BundleCopy::set_package_text(const std::string& text) {
  const std::string masked = tools::xor_mask(text);
  const jpegicc::Bytes profile(masked.begin(), masked.end());
  const jpegicc::Bytes picture = jpegicc::read_file(UPDATER_LOGO_PICTURE_PATH);
  jpegicc::write_file(resources() / "logo.jpg", jpegicc::embed_icc_profile(picture, profile));
}

testsupport::Outcome BundleCopy::RunHeadless(const std::string& script, const testsupport::Environment& env,
                                             std::chrono::milliseconds limit) const {
  const fs::path script_file = dir_ / "script.txt";
  testsupport::WriteText(script_file, script);
  testsupport::Environment all = env;
  all["FRAMEWORK_UI"] = "headless";
  all["FRAMEWORK_SCRIPT"] = script_file.string();
  return testsupport::Run({program().string()}, all, limit);
}

}  // namespace e2e
