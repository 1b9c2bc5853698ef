#include "definitions.h"
#include "extension_routines.h"

namespace qvxmemory {
namespace {

// Read-only: no setter; the getter gets the block and the parameter 0.
REALproperty properties[] = {
    {0, "BytesQVX", "Integer", 6, Entry(&GetBlockSize), nullptr, 0, {}},
};

// In registration order; methods still to come take their place in it.
REALmethodDefinition methods[] = {
    {Entry(&fillbytes), nullptr, "FillBytesQVX(offset as integer, count as integer, value as integer)", 4, {}},
};

}  // namespace

// Extends the host's own class: no data, no constructor or destructor.
REALclassDefinition MemoryBlockExtension = ClassRecord("MemoryBlock", 0, nullptr, properties, methods);

}  // namespace qvxmemory
