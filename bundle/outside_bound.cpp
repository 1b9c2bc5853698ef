#include "outside_bound.h"

#include <memory>

#include "framework/exceptions.h"
#include "pluginhost/host.h"

namespace updater::bundle {

using framework::FolderItem;
using framework::Object;
using framework::Ref;
using framework::String;

namespace {

struct ImporterEntries {
  pluginhost::Property<Ref<FolderItem>> File;
  pluginhost::Property<bool> ReadMarkers;
  pluginhost::Property<bool> ReadProfileData;
  pluginhost::Method<void(Ref<Object>)> Import;
  pluginhost::Property<String> ProfileData;
  pluginhost::Property<Ref<framework::Picture>> Picture;
};

class BoundImporter final : public JPEGImporter {
 public:
  explicit BoundImporter(std::shared_ptr<const ImporterEntries> entries)
      : entries_(std::move(entries)), instance_(pluginhost::new_instance("JPEGImporterQVX")) {
    if (!instance_) framework::throw_nil_object_exception();
  }
  void set_File(const Ref<FolderItem>& file) override { entries_->File.set(instance_, file); }
  void set_ReadMarkers(bool value) override { entries_->ReadMarkers.set(instance_, value); }
  void set_ReadProfileData(bool value) override { entries_->ReadProfileData.set(instance_, value); }
  void Import() override { entries_->Import(instance_); }
  String ProfileData() override { return entries_->ProfileData.get(instance_); }
  Ref<framework::Picture> Picture() override { return entries_->Picture.get(instance_); }

 private:
  std::shared_ptr<const ImporterEntries> entries_;
  Ref<Object> instance_;
};

}  // namespace

OutsideMembers DeclareOutsideMembers(pluginhost::Binder& binder) {
  auto entries = std::make_shared<ImporterEntries>();
  const char* cls = "JPEGImporterQVX";
  entries->File = binder.property<Ref<FolderItem>>(cls, "File as FolderItem");
  entries->ReadMarkers = binder.property<bool>(cls, "ReadMarkers as Boolean");
  entries->ReadProfileData = binder.property<bool>(cls, "ReadProfileData as Boolean");
  entries->Import = binder.method<void(Ref<Object>)>(cls, "Import");
  entries->ProfileData = binder.property<String>(cls, "ProfileData as String");
  entries->Picture = binder.property<Ref<framework::Picture>>(cls, "Picture as Picture");
  auto xor_mask = binder.method<String(String, String, int32_t)>(
      "", "StringXORQVX(data as string, XorMask as string, MaskOffset as integer = 0) as string");

  OutsideMembers m;
  m.NewJPEGImporter = [entries] { return std::make_unique<BoundImporter>(entries); };
  m.StringXORQVX = [xor_mask](const String& data, const String& mask, int32_t offset) {
    return xor_mask(data, mask, offset);
  };
  return m;
}

}  // namespace updater::bundle
