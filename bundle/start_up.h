#pragma once
// What the framework does for the updater before the application object is
// made: the plug-ins of the bundle are loaded and their members bound, and
// the application's seams are pointed at them.

namespace updater::bundle {

void StartUp();

}  // namespace updater::bundle
