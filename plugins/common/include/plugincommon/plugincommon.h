#pragma once
// Support code that every plug-in file links statically: the common steps of
// REALPluginMain, class registration with the level-9 conversion, the host
// service cache, and the marshalling of strings, memory blocks and exceptions.
//
// It includes nothing of the host but the plug-in interface header, and keeps
// its globals per plug-in file. Build plug-ins with qvx_add_plugin (see
// QvxPlugin.cmake): hidden visibility, only REALPluginMain exported.

#include "plugincommon/host_services.h"
#include "plugincommon/marshalling.h"
#include "plugincommon/registration.h"
