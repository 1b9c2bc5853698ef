#pragma once
// The three records this file registers, in the order REALPluginMain hands
// them to the host.

#include "plugin_interface.h"

namespace qvxmemory {

// A routine as the untyped entry a record holds.
template <typename Fn>
REALproc Entry(Fn fn) {
  return reinterpret_cast<REALproc>(fn);
}

extern REALclassDefinition MemoryBlockExtension;
extern REALclassDefinition MemoryBlockQVXClass;
extern REALmethodDefinition NewMemoryBlockFromPtrMethod;

}  // namespace qvxmemory
