/* The plug-in interface header is plain C: a C plug-in includes it as it is. */
#include "plugin_interface.h"

_Static_assert(sizeof(REALclassDefinition9) == 25 * sizeof(REALword), "level-9 class definition");
