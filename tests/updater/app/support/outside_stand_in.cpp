#include "outside_stand_in.h"

#include <string>
#include <string_view>

#include "jpegicc/jpegicc.h"

namespace apptest {

using framework::Ref;
using framework::String;

namespace {

std::string_view Chars(const jpegicc::Bytes& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

class StandInImporter final : public updater::JPEGImporter {
 public:
  void set_File(const Ref<framework::FolderItem>& file) override { file_ = file; }
  void set_ReadMarkers(bool value) override { markers_ = value; }
  void set_ReadProfileData(bool value) override { profile_wanted_ = value; }
  void Import() override {
    profile_ = String();
    picture_ = nullptr;
    if (!file_) return;
    jpegicc::Bytes bytes;
    try {
      bytes = jpegicc::read_file(file_->path());
    } catch (const jpegicc::Error&) {
      return;
    }
    if (markers_ && profile_wanted_) {
      profile_ = String::from_bytes(Chars(jpegicc::read_icc_profile(bytes)), framework::Encodings.Undetermined);
    }
    picture_ = framework::Picture::FromJPEG(Chars(bytes));
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

updater::OutsideMembers OutsideStandIns() {
  updater::OutsideMembers m;
  m.NewJPEGImporter = [] { return std::make_unique<StandInImporter>(); };
  m.StringXORQVX = [](const String& data, const String& mask, int32_t offset) {
    std::string out(data.bytes());
    const std::string_view k = mask.bytes();
    if (!k.empty()) {
      for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = char(out[i] ^ k[(std::size_t(offset) + i) % k.size()]);
      }
    }
    return String::from_bytes(out, data.encoding());
  };
  return m;
}

}  // namespace apptest
