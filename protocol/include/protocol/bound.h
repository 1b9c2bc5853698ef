#pragma once
// What the module's functions use of what start-up bound: the modal message
// and two plug-in routines. Start-up builds one value and hands it down to
// every call that shows a message, fills a region image or writes hex text;
// tests build it with fakes. Each member must be set before a call needs it.

#include <cstdint>
#include <functional>

#include "framework/memoryblock.h"
#include "framework/string.h"

namespace HID {

struct BoundMembers {
  // Shows `text` and returns when the user has dismissed it; the caller goes
  // on. The application's is MsgBox.
  std::function<void(const framework::String& text)> ShowMessage;
  // The MemoryBlock plug-in's
  // "MemoryBlock.FillBytesQVX(offset as integer, count as integer, value as integer)":
  // `count` bytes from `offset` set to value And &hFF, a count of 0 or less
  // meaning the rest of the block; nothing outside the block is written.
  std::function<void(framework::MemoryBlock& block, int32_t offset, int32_t count, int32_t value)> FillBytesQVX;
  // The outside plug-in's "EncodingToHexQVX(data as string) as string": two
  // upper-case hex digits per byte, nothing between.
  std::function<framework::String(const framework::String& data)> EncodingToHexQVX;
};

}  // namespace HID
