#pragma once
// The package reader's members over the JPEG profile library itself, for as
// long as the bundle has no outside plug-in to bind them to: the same
// behaviour as JPEGImporterQVX and StringXORQVX.

#include "updater/outside.h"

namespace updater::bundle {

OutsideMembers DirectOutsideMembers();

}  // namespace updater::bundle
