#include "framework/folderitem.h"
#include "framework/numbers.h"
#include "framework/text.h"
#include "protocol/module.h"
#include "updater/app.h"

namespace updater {

using framework::FolderItem;
using framework::Ref;
using framework::String;

namespace {

// Exactly one of the three places is built in; a folder missing on the way
// raises NilObjectException.
Ref<FolderItem> PackageFile() {
#if defined(UPDATER_PACKAGE_BESIDE_APPLICATION)
  return framework::GetFolderItem("logo.jpg", 0);
#elif defined(UPDATER_DEVICE_PATH_WIN)
  return framework::GetFolderItem("Updater Libs", 0)->Child("logo.jpg");
#else
  return framework::ExecutableFile()->Parent()->Parent()->Child("Resources")->Child("logo.jpg");
#endif
}

}  // namespace

void App::LoadData() {
  Ref<FolderItem> file = PackageFile();
  const OutsideMembers& members = bound_.outside;
  if (!members.NewJPEGImporter || !members.StringXORQVX) return;

  std::unique_ptr<JPEGImporter> importer = members.NewJPEGImporter();
  if (!importer) framework::throw_nil_object_exception();
  importer->set_File(file);
  importer->set_ReadMarkers(true);
  importer->set_ReadProfileData(true);
  importer->Import();
  String profile = importer->ProfileData();
  if (framework::LenB(profile) == 0) return;

  TakePackageRecord(members.StringXORQVX(profile, String(kPackageMask), 0));
  logo = importer->Picture();
}

}  // namespace updater
