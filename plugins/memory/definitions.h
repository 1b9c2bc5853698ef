#pragma once
// The three records this file registers, in the order REALPluginMain hands
// them to the host.

#include <cstddef>

#include "plugin_interface.h"

namespace qvxmemory {

// A routine as the untyped entry a record holds.
template <typename Fn>
REALproc Entry(Fn fn) {
  return reinterpret_cast<REALproc>(fn);
}

// A class record as this file fills them: no superclass, no events, no
// constants, no shared members, class flags 4, version word 12 until the
// level is known.
template <size_t PropertyCount, size_t MethodCount>
REALclassDefinition ClassRecord(const char* name, REALword dataSize, REALproc destructor,
                                REALproperty (&properties)[PropertyCount],
                                REALmethodDefinition (&methods)[MethodCount]) {
  REALclassDefinition record{};
  record.version = 12;
  record.name = name;
  record.dataSize = dataSize;
  record.destructor = destructor;
  record.properties = properties;
  record.propertyCount = PropertyCount;
  record.methods = methods;
  record.methodCount = MethodCount;
  record.flags = 4;
  return record;
}

extern REALclassDefinition MemoryBlockExtension;
extern REALclassDefinition MemoryBlockQVXClass;
extern REALmethodDefinition NewMemoryBlockFromPtrMethod;

}  // namespace qvxmemory
