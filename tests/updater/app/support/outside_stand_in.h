#pragma once
// The package reader's members over the JPEG profile library itself, for
// runs in process without the plug-ins: what JPEGImporterQVX and
// StringXORQVX do.

#include "updater/outside.h"

namespace apptest {

updater::OutsideMembers OutsideStandIns();

}  // namespace apptest
