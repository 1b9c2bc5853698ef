#pragma once
// What the framework does for the updater before the application object is
// made: the plug-ins of the bundle are loaded and their members bound into
// the one value the application is made from.

#include "updater/bound.h"

namespace updater::bundle {

// Quits, after naming them in a message box, when plug-in members are missing.
Bound StartUp();

}  // namespace updater::bundle
