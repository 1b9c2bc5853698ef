#pragma once
// The package reader's members bound to the outside plug-in: the class
// JPEGImporterQVX and the function StringXORQVX.

#include "pluginhost/binder.h"
#include "updater/outside.h"

namespace updater::bundle {

// Declares the members to binder; the result works once binder has bound.
OutsideMembers DeclareOutsideMembers(pluginhost::Binder& binder);

}  // namespace updater::bundle
