#pragma once
// QVXMemory: byte-level methods for the host's MemoryBlock class, the class
// MemoryBlockQVX that owns a zero-filled heap buffer, and the global method
// NewMemoryBlockFromPtrQVX.
//
// The file exports REALPluginMain only. After the common entry steps it
// registers, with nothing in between:
//   1. the class extension of "MemoryBlock": property "BytesQVX" and the
//      extension methods, in registration order;
//   2. the class "MemoryBlockQVX" (32 bytes of plug-in data, destructor
//      MemClose): properties Address, Size, Memory; methods Resize, Close,
//      Create;
//   3. the global method "NewMemoryBlockFromPtrQVX(ptr as integer) as memoryblock".
// A registration service the host lacks is skipped and the next one still runs.
//
// Callers reach the members through the entries the host binds; the types
// below are the signatures of those entries, block or instance first.
//
// Rules every extension method keeps: the block's bytes and size are asked of
// the host on every call; offsets count from the block's first byte; a block
// whose size is reported as 0 or less has an unknown size and is not bounded
// by it; a member that needs a host service the host lacks does nothing and
// gives its neutral result; exceptions are raised in the caller and the member
// then returns at once, having written nothing.
//
// Nothing is read or written outside a block of known size, nor before any
// block's first byte. Members that change one block in place (fills, swaps,
// mirrors, inversions, the numeric methods) work on the part of the range that
// lies inside it; members that copy or compare between two places, and the
// gathering members (CopyBytesQVX, the Ptr and handle copies, CopyNthBytesQVX,
// CopyNthBitsQVX, ExpandBitsQVX, BytesEqualQVX, BytesZeroQVX) copy nothing and
// give false where they answer, when a range leaves its block. Foreign memory
// named by a Ptr or a handle is the caller's to keep large enough. The
// routines' signatures are in extension_routines.h; a handle ("Integer") is
// the 32-bit address of a master pointer, taken unsigned.

#include <cstdint>

#include "plugin_interface.h"

namespace qvxmemory {

// "MemoryBlock.FillBytesQVX(offset as integer, count as integer, value as integer)"
// Sets count bytes from offset to value & 0xFF. A nil block raises
// NilObjectException "memoryblock is nil". A count of 0 or less means the
// block's size; with a negative offset or nothing left to fill nothing is
// written. A fill that would pass the end of a block of known size is cut
// there; on a block of unknown size the range is written as given.
using FillBytesQVXEntry = void (*)(REALmemoryBlock block, int32_t offset, int32_t count, int32_t value);

// "MemoryBlock.BytesQVX" (read-only Integer): the size the host reports; 0
// for a nil block or when the host cannot tell.
using BytesQVXGetter = int32_t (*)(REALmemoryBlock block, REALsword param);

// "MemoryBlockQVX.Create(size as Int64) as boolean": releases what the object
// holds, then allocates size zero-filled bytes (1 to 2^31 - 1) and a block
// over them. False leaves the object empty.
using CreateEntry = REALboolean (*)(REALobject instance, int64_t size);
// "MemoryBlockQVX.Resize(Size as Int64) as boolean": keeps the first
// min(old, new) bytes; added bytes are not cleared. False changes nothing.
using ResizeEntry = REALboolean (*)(REALobject instance, int64_t size);
// "MemoryBlockQVX.Close", also the destructor: back to empty. Harmless twice.
using CloseEntry = void (*)(REALobject instance);
// "MemoryBlockQVX.Address" and ".Size" (read-only Int64): the buffer's
// address and its size; 0 when empty.
using Int64Getter = int64_t (*)(REALobject instance, REALsword param);
// "MemoryBlockQVX.Memory" (read-only Memoryblock): the block over the buffer
// with a reference for the caller, or nil. It refers to the buffer current
// when it was made: after Resize, Create, Close or destruction its bytes must
// not be used.
using MemoryGetter = REALmemoryBlock (*)(REALobject instance, REALsword param);

// "NewMemoryBlockFromPtrQVX(ptr as integer) as memoryblock": nil for 0, else a
// new block over the memory at ptr, neither copied nor owned. The address is
// the declared 32-bit integer taken unsigned, so a 64-bit process reaches
// only memory below 4 GiB through it.
using NewMemoryBlockFromPtrEntry = REALmemoryBlock (*)(int32_t ptr);

}  // namespace qvxmemory
