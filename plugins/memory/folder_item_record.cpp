// FSSpecQVX: the host's 70-byte file record of a folder item, held in a block.

#include <cstring>

#include "block_access.h"
#include "extension_routines.h"
#include "plugincommon/plugincommon.h"

namespace qvxmemory {

REALfolderItem getFSSpec(REALmemoryBlock block, int32_t offset) {
  BlockView view = ViewBlock(block);
  if (!RangeInside(view, offset, REALFSSpecSize)) return nullptr;
  // The host reads its own record type; hand it one rather than a cast of
  // arbitrary block bytes.
  REALFSSpec spec;
  std::memcpy(spec.bytes, view.bytes + offset, REALFSSpecSize);
  return plugincommon::host::FolderItemFromFSSpec(&spec);
}

void setFSSpec(REALmemoryBlock block, int32_t offset, REALfolderItem item) {
  BlockView view = ViewBlock(block);
  if (!RangeInside(view, offset, REALFSSpecSize)) return;
  REALFSSpec spec{};
  // A record the host could not fill leaves the block as it was.
  if (!plugincommon::host::REALFSSpecFromFolderItem(&spec, item)) return;
  std::memcpy(view.bytes + offset, spec.bytes, REALFSSpecSize);
}

}  // namespace qvxmemory
