#include <string>

#include "jpegicc/jpegicc.h"
#include "outside.h"
#include "plugincommon/plugincommon.h"

namespace outside {
namespace {

using namespace plugincommon;

// Every handle here holds one reference of the importer's own.
struct ImporterData {
  REALfolderItem File;
  REALstring Profile;  // nil: no profile
  REALobject Picture;
  REALboolean ReadMarkers;
  REALboolean ReadProfileData;
};

REALclassDefinition ImporterClass{};

ImporterData* Data(REALobject instance) { return PluginData<ImporterData>(instance, ImporterClass); }

void Forget(ImporterData* d) {
  host::REALUnlockString(d->Profile);
  host::REALUnlockObject(d->Picture);
  d->Profile = nullptr;
  d->Picture = nullptr;
}

void ImporterDestructor(REALobject instance) {
  ImporterData* d = Data(instance);
  Forget(d);
  host::REALUnlockObject(reinterpret_cast<REALobject>(d->File));
  d->File = nullptr;
}

REALfolderItem GetFile(REALobject instance, REALsword) {
  REALfolderItem file = Data(instance)->File;
  host::REALLockObject(reinterpret_cast<REALobject>(file));  // the caller's reference
  return file;
}

void SetFile(REALobject instance, REALsword, REALfolderItem file) {
  ImporterData* d = Data(instance);
  host::REALLockObject(reinterpret_cast<REALobject>(file));
  host::REALUnlockObject(reinterpret_cast<REALobject>(d->File));
  d->File = file;
}

REALboolean GetReadMarkers(REALobject instance, REALsword) { return Data(instance)->ReadMarkers; }
void SetReadMarkers(REALobject instance, REALsword, REALboolean value) { Data(instance)->ReadMarkers = value != 0; }
REALboolean GetReadProfileData(REALobject instance, REALsword) { return Data(instance)->ReadProfileData; }
void SetReadProfileData(REALobject instance, REALsword, REALboolean value) {
  Data(instance)->ReadProfileData = value != 0;
}

REALstring GetProfileData(REALobject instance, REALsword) {
  REALstring profile = Data(instance)->Profile;
  host::REALLockString(profile);
  return profile;
}

REALobject GetPicture(REALobject instance, REALsword) {
  REALobject picture = Data(instance)->Picture;
  host::REALLockObject(picture);
  return picture;
}

std::string PathOf(REALfolderItem file) {
  REALstring path = host::PluginFolderItemPath(file);
  std::string text;
  {
    rbRawText raw(path);
    if (raw.Ptr() != nullptr) text.assign(reinterpret_cast<const char*>(raw.Ptr()), static_cast<size_t>(raw.Length()));
  }
  host::REALUnlockString(path);
  return text;
}

void Import(REALobject instance) {
  ImporterData* d = Data(instance);
  Forget(d);
  if (d->File == nullptr) return;
  std::string path = PathOf(d->File);
  if (path.empty()) return;
  try {
    jpegicc::Bytes file = jpegicc::read_file(path);
    if (d->ReadMarkers && d->ReadProfileData) {
      jpegicc::Bytes profile = jpegicc::read_icc_profile(file);
      d->Profile = BuildStringWithEncoding(profile.data(), static_cast<int64_t>(profile.size()), REALEncodingUnknown);
    }
    try {
      jpegicc::Image image = jpegicc::decode_rgb(file);
      d->Picture = host::PluginNewPictureRGB(image.width, image.height, image.rgb.data());
    } catch (const jpegicc::Error&) {
      // No picture in the file; the profile read before stays.
    }
  } catch (const std::exception&) {
    // The file cannot be read: nothing imported.
  }
}

REALproperty ImporterProperties[] = {
    {0, "File", "FolderItem", 6, reinterpret_cast<REALproc>(&GetFile), reinterpret_cast<REALproc>(&SetFile), 0, {}},
    {0,
     "ReadMarkers",
     "Boolean",
     6,
     reinterpret_cast<REALproc>(&GetReadMarkers),
     reinterpret_cast<REALproc>(&SetReadMarkers),
     0,
     {}},
    {0,
     "ReadProfileData",
     "Boolean",
     6,
     reinterpret_cast<REALproc>(&GetReadProfileData),
     reinterpret_cast<REALproc>(&SetReadProfileData),
     0,
     {}},
    {0, "ProfileData", "String", 6, reinterpret_cast<REALproc>(&GetProfileData), nullptr, 0, {}},
    {0, "Picture", "Picture", 6, reinterpret_cast<REALproc>(&GetPicture), nullptr, 0, {}},
};

REALmethodDefinition ImporterMethods[] = {
    {reinterpret_cast<REALproc>(&Import), nullptr, "Import", 4, {}},
};

}  // namespace

void RegisterJPEGImporter() {
  ImporterClass.version = 12;
  ImporterClass.name = "JPEGImporterQVX";
  ImporterClass.dataSize = sizeof(ImporterData);
  ImporterClass.destructor = reinterpret_cast<REALproc>(&ImporterDestructor);
  ImporterClass.properties = ImporterProperties;
  ImporterClass.propertyCount = sizeof(ImporterProperties) / sizeof(ImporterProperties[0]);
  ImporterClass.methods = ImporterMethods;
  ImporterClass.methodCount = 1;
  ImporterClass.flags = 4;
  RegisterClassDefinition(&ImporterClass);
}

}  // namespace outside
