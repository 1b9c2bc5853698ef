#pragma once
// Routines of the MemoryBlock class extension. Each takes the block it is
// called on first, then the declared arguments: Integer as int32_t, Int64 as
// int64_t, double as double, Boolean as one byte, Ptr as an address, String,
// MemoryBlock and FolderItem as host handles that may be nil. Assignment forms
// take the new value last.

#include <cstdint>

#include "plugin_interface.h"

namespace qvxmemory {

// Numbers (calc_groups.cpp, log_sweep.cpp, polar.cpp, multiply.cpp, min_max.cpp).
void Calc3te(REALmemoryBlock block, int32_t source1, int32_t source2, int32_t source3, int32_t source4, int32_t dest1,
             int32_t dest2, int32_t dest3, int32_t dest4, double tolerance, int32_t offsetByte, int32_t length);
void Calc2te(REALmemoryBlock block, int32_t iByteMax, int32_t offsetByte, int32_t length, REALboolean withSum0);
void CalcLogSweepTable(REALmemoryBlock block, int32_t offsetByte, int32_t z, int32_t lw1, int32_t lw2, double t);
void ConvertPolarToCartesian(REALmemoryBlock block, int32_t offsetByte, int32_t z, REALmemoryBlock polarData);
void ConvertCartesianToPolar(REALmemoryBlock block, int32_t offsetByte, int32_t z, REALmemoryBlock cartesianData);
void MultiplyUInt16QVX(REALmemoryBlock block, double factor, int32_t offsetByte, int32_t lengthBytes);
void MultiplyUInt8QVX(REALmemoryBlock block, double factor, int32_t offsetByte, int32_t lengthBytes);
REALboolean MinQVX(REALmemoryBlock block, void* firstMem, void* secondMem, int32_t bitSize, REALboolean isSigned,
                   int32_t offsetByte, int32_t lengthBytes);
REALboolean MaxQVX(REALmemoryBlock block, void* firstMem, void* secondMem, int32_t bitSize, REALboolean isSigned,
                   int32_t offsetByte, int32_t lengthBytes);

// Bit and byte transforms (mirror.cpp, copy_nth.cpp, invert_bytes.cpp, expand_bits.cpp).
void MirrorBitsInBytesQVX(REALmemoryBlock block, int32_t offsetByte, int32_t lengthByte);
void MirrorBytesQVX(REALmemoryBlock block, int32_t offsetByte, int32_t lengthByte);
void MirrorBitsQVX(REALmemoryBlock block, int32_t offsetBit, int32_t lengthBit);
REALboolean CopyNthBytes(REALmemoryBlock block, REALmemoryBlock source, int32_t sourceOffsetBytes,
                         int32_t destinationOffsetBytes, int32_t byteCount, int32_t stepCount, int32_t numberOfSteps);
REALboolean CopyNthBits(REALmemoryBlock block, REALmemoryBlock source, int32_t sourceOffsetBits,
                        int32_t destinationOffsetBits, int32_t bitCount, int32_t stepCount, int32_t numberOfSteps);
void InvertBytesQVX(REALmemoryBlock block, int32_t offset, int32_t count);
REALboolean ExpandBitsQVX(REALmemoryBlock block, REALmemoryBlock dest, int32_t sourceByteCount, int32_t lowValue,
                          int32_t highValue);

// Byte ranges (addresses.cpp, os_type.cpp, string_bytes.cpp, folder_item_record.cpp, sub_blocks.cpp,
// fill_bytes.cpp, block_size.cpp).
uint64_t AddressQVX(REALmemoryBlock block, int64_t offset);
void* AddressPtrQVX(REALmemoryBlock block, int64_t offset);
REALstring getOSType(REALmemoryBlock block, int32_t offset);
void setOSType(REALmemoryBlock block, int32_t offset, REALstring value);
REALstring getString(REALmemoryBlock block, int32_t offset, int32_t numBytes);
void setString(REALmemoryBlock block, REALstring str, int32_t offset);
REALfolderItem getFSSpec(REALmemoryBlock block, int32_t offset);
void setFSSpec(REALmemoryBlock block, int32_t offset, REALfolderItem item);
REALmemoryBlock getMid1(REALmemoryBlock block, int32_t offset);
REALmemoryBlock getMid2(REALmemoryBlock block, int32_t offset, int32_t length);
REALmemoryBlock getLeft(REALmemoryBlock block, int32_t length);
REALmemoryBlock getRight(REALmemoryBlock block, int32_t length);
REALmemoryBlock getAppend(REALmemoryBlock block, REALmemoryBlock other);
void fillbytes(REALmemoryBlock block, int32_t offset, int32_t count, int32_t value);
int32_t GetBlockSize(REALmemoryBlock block, REALsword param);

// Search, compare, copy and swap (swap_bytes.cpp, compare.cpp, find.cpp, copy_bytes.cpp).
void swapBytes(REALmemoryBlock block, int32_t offset, int32_t numBytes);
void swapBytes16(REALmemoryBlock block, int32_t offset, int32_t numBytes);
void swapBytes32(REALmemoryBlock block, int32_t offset, int32_t numBytes);
REALboolean BytesEqualQVX(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, REALmemoryBlock destBlk,
                          int32_t destOfs);
REALboolean BytesZeroQVX(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes);
int32_t FindNotByteQVX(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, int32_t byteValue);
int32_t FindByteQVX(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, int32_t byteValue);
void copyBytes1(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, int32_t destOfs);
void copyBytes2(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, REALmemoryBlock destBlk, int32_t destOfs);
void toMacPtr(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, void* destPtr);
void fromMacPtr(REALmemoryBlock block, void* srcPtr, int32_t numBytes, int32_t destOfs);
void toMacHdl(REALmemoryBlock block, int32_t srcOfs, int32_t numBytes, int32_t destHandle);
void fromMacHdl(REALmemoryBlock block, int32_t srcHandle, int32_t numBytes, int32_t destOfs);
int32_t findBytes1(REALmemoryBlock block, int32_t srcOfs, int32_t maxBytes, REALstring target);
int32_t findBytes2(REALmemoryBlock block, int32_t srcOfs, int32_t maxBytes, REALmemoryBlock target, int32_t targOfs,
                   int32_t targLen);

}  // namespace qvxmemory
