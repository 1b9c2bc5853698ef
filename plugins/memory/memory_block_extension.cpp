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
REALclassDefinition MemoryBlockExtension = {
    .version = 12,
    .name = "MemoryBlock",
    .superName = nullptr,
    .dataSize = 0,
    .dataOffset = 0,
    .constructor = nullptr,
    .destructor = nullptr,
    .properties = properties,
    .propertyCount = sizeof properties / sizeof properties[0],
    .methods = methods,
    .methodCount = sizeof methods / sizeof methods[0],
    .events = nullptr,
    .eventCount = 0,
    .carried = {},
    .dropped = {},
    .constants = nullptr,
    .constantCount = 0,
    .flags = 4,
    .sharedProperties = nullptr,
    .sharedPropertyCount = 0,
    .sharedMethods = nullptr,
    .sharedMethodCount = 0,
    .unused = {},
};

}  // namespace qvxmemory
