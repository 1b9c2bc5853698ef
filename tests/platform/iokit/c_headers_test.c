/* The headers must stay usable from C, as the plug-in interface is C. */
#include "iokit/corefoundation.h"

int iokit_c_header_length(void) { return (int)CFStringGetLength(CFSTR("abc")); }
