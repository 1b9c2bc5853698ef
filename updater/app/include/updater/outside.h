#pragma once
// The outside plug-in's members that start-up uses to read the firmware
// package: the JPEG importer class JPEGImporterQVX and StringXORQVX.
//
// Start-up binds them into the application's Bound (bound.h); tests build
// them over stand-ins.

#include <cstdint>
#include <functional>
#include <memory>

#include "framework/folderitem.h"
#include "framework/string.h"
#include "framework/ui/picture.h"

namespace updater {

// One JPEGImporterQVX object, as LoadData drives it.
class JPEGImporter {
 public:
  virtual ~JPEGImporter() = default;
  virtual void set_File(const framework::Ref<framework::FolderItem>& file) = 0;
  virtual void set_ReadMarkers(bool value) = 0;
  virtual void set_ReadProfileData(bool value) = 0;
  virtual void Import() = 0;
  // The file's embedded profile bytes; empty when it has none.
  virtual framework::String ProfileData() = 0;
  // The decoded picture; nil when there is none.
  virtual framework::Ref<framework::Picture> Picture() = 0;
};

struct OutsideMembers {
  // A new JPEGImporterQVX; its release ends the object.
  std::function<std::unique_ptr<JPEGImporter>()> NewJPEGImporter;
  // StringXORQVX(data, XorMask, MaskOffset): each byte of data combined by
  // exclusive or with the mask, starting at mask offset MaskOffset.
  std::function<framework::String(const framework::String& data, const framework::String& mask, int32_t mask_offset)>
      StringXORQVX;
};

}  // namespace updater
