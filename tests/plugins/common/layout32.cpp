// Compiled with -m32 -fsyntax-only as a build step: on a 32-bit build the
// interface records, in both their full and their level-9 forms, have the
// classic byte sizes and offsets, so a wrong layout fails the build.

#include <cstddef>

#include "plugincommon/plugincommon.h"

static_assert(sizeof(void*) == 4, "compile this check with -m32");

static_assert(sizeof(REALclassDefinition) == 116);
static_assert(sizeof(REALclassDefinition9) == 100);
static_assert(sizeof(REALproperty) == 48);
static_assert(sizeof(REALproperty9) == 40);
static_assert(sizeof(REALmethodDefinition) == 24);
static_assert(sizeof(REALmethodDefinition9) == 16);
static_assert(sizeof(REALevent) == 16);
static_assert(sizeof(REALevent9) == 8);
static_assert(sizeof(REALconstant) == 20);
static_assert(sizeof(REALconstant9) == 12);
static_assert(sizeof(REALstringData) == 12);
static_assert(sizeof(REALFSSpec) == 70);

// Byte offsets of the words the host and the plug-ins rely on.
static_assert(offsetof(REALclassDefinition, dataSize) == 12);
static_assert(offsetof(REALclassDefinition, dataOffset) == 16);
static_assert(offsetof(REALclassDefinition, properties) == 28);
static_assert(offsetof(REALclassDefinition, methods) == 36);
static_assert(offsetof(REALclassDefinition, events) == 44);
static_assert(offsetof(REALclassDefinition, dropped) == 64);
static_assert(offsetof(REALclassDefinition, constants) == 72);
static_assert(offsetof(REALclassDefinition, flags) == 80);
static_assert(offsetof(REALclassDefinition, sharedMethodCount) == 96);
static_assert(offsetof(REALclassDefinition, unused) == 100);
static_assert(offsetof(REALproperty, name) == 4);
static_assert(offsetof(REALproperty, param) == 24);
static_assert(offsetof(REALmethodDefinition, declaration) == 8);
static_assert(offsetof(REALevent, hostWord) == 4);

// A level-9 host reads the registered records at these offsets.
static_assert(offsetof(REALclassDefinition9, version) == 0);
static_assert(offsetof(REALclassDefinition9, dataSize) == 12);
static_assert(offsetof(REALclassDefinition9, properties) == 28);
static_assert(offsetof(REALclassDefinition9, methods) == 36);
static_assert(offsetof(REALclassDefinition9, events) == 44);
static_assert(offsetof(REALclassDefinition9, dropped) == 64);
static_assert(offsetof(REALclassDefinition9, constants) == 72);
static_assert(offsetof(REALclassDefinition9, flags) == 80);
static_assert(offsetof(REALclassDefinition9, sharedMethodCount) == 96);
static_assert(offsetof(REALproperty9, name) == 4);
static_assert(offsetof(REALproperty9, param) == 24);
static_assert(offsetof(REALmethodDefinition9, declaration) == 8);
static_assert(offsetof(REALevent9, hostWord) == 4);
static_assert(offsetof(REALconstant9, declaration) == 0);
