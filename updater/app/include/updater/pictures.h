#pragma once
// The pictures both windows show and the one rule their canvases paint by.

#include "framework/ui/graphics.h"
#include "framework/ui/picture.h"

namespace updater {

// The built-in picture: vastel.jpg in the bundle's Resources folder. Loaded on
// first use and kept to the end of the run; while it cannot be loaded, every
// call tries again and returns nil.
framework::Ref<framework::Picture> vastelBig();

// The paint rule of every picture canvas: the whole picture stretched into
// the whole drawing area, each direction on its own; nothing for nil.
void PaintPicture(const framework::Ref<framework::Picture>& picture, framework::Graphics& g);

}  // namespace updater
