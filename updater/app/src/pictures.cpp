#include "updater/pictures.h"

#include "framework/application.h"
#include "framework/folderitem.h"

namespace updater {

using framework::Picture;
using framework::Ref;

namespace {

Ref<Picture>& cache() {
  static Ref<Picture> picture;
  return picture;
}

}  // namespace

Ref<Picture> vastelBig() {
  static const bool registered = [] {
    // The cache ends with the run, like every object of the application.
    framework::register_module("updater.vastelBig", {}, [] { cache() = nullptr; });
    return true;
  }();
  (void)registered;

  if (!cache()) {
    if (Ref<framework::FolderItem> resources = framework::ResourcesFolder()) {
      cache() = framework::OpenAsPicture(resources->Child("vastel.jpg"));
    }
  }
  return cache();
}

void PaintPicture(const Ref<Picture>& picture, framework::Graphics& g) {
  if (!picture) return;
  g.DrawPicture(picture, 0, 0, g.Width(), g.Height(), 0, 0, picture->Width(), picture->Height());
}

}  // namespace updater
