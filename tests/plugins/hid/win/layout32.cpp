// Compiled with -m32 -fsyntax-only as a build step: the plug-in data of
// WinHIDQVX checks its 32-bit offsets and the declared 1096 bytes itself.

#include "win_hid_data.h"

static_assert(sizeof(void*) == 4, "compile this check with -m32");
