#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
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

// One line to the host's debug log; nothing when the host has no log.
void DebugLog(const std::string& line) {
  auto log = reinterpret_cast<REALDebugLogProc>(host::REALLoadGlobalMethod("System.DebugLog( message as string )"));
  if (log == nullptr) return;
  REALstring text = BuildStringWithEncoding(line.data(), static_cast<int64_t>(line.size()), REALEncodingUTF8);
  log(text);
  host::REALUnlockString(text);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The picture decoded straight into the host's picture, so it is held once.
// Nil when it cannot be decoded or held; the Error says why.
REALobject DecodePicture(std::FILE* file) {
  REALobject picture = nullptr;
  try {
    jpegicc::decode_argb_file(file, [&](int width, int height) {
      uint32_t* pixels = nullptr;
      picture = host::PluginNewPicture(width, height, &pixels);
      return pixels;
    });
  } catch (...) {
    host::REALUnlockObject(picture);
    throw;
  }
  return picture;
}

// Reads the profile (when asked for) and the picture into d. What went wrong,
// in a few words for the log; empty when nothing did.
std::string ImportFile(ImporterData* d, const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    const int error = errno;
    return std::string("cannot be opened: ") + std::strerror(error);
  }
  std::string problem;
  if (d->ReadMarkers && d->ReadProfileData) {
    const jpegicc::ProfileRead read = jpegicc::read_icc_profile_file(file.get());
    d->Profile =
        BuildStringWithEncoding(read.profile.data(), static_cast<int64_t>(read.profile.size()), REALEncodingUnknown);
    problem = read.problem;
    if (!read.may_hold_picture) return problem;
    std::rewind(file.get());
  }
  // A picture that cannot be decoded leaves the profile read before.
  try {
    d->Picture = DecodePicture(file.get());
  } catch (const jpegicc::Error& error) {
    problem += (problem.empty() ? "" : "; ") + std::string(error.what());
  }
  return problem;
}

void Import(REALobject instance) {
  ImporterData* d = Data(instance);
  Forget(d);
  if (d->File == nullptr) return;
  std::string path = PathOf(d->File);
  if (path.empty()) return;
  // Import itself gives no reason, so the log says why nothing came.
  std::string problem;
  try {
    problem = ImportFile(d, path);
  } catch (const std::exception& error) {
    problem = error.what();  // the file cannot be read: what was imported stays
  }
  if (!problem.empty()) DebugLog("JPEGImporterQVX: " + path + ": " + problem);
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
