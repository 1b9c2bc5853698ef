#include "definitions.h"
#include "extension_routines.h"

namespace qvxmemory {
namespace {

// Read-only: no setter; the getter gets the block and the parameter 0.
REALproperty properties[] = {
    {0, "BytesQVX", "Integer", 6, Entry(&GetBlockSize), nullptr, 0, {}},
};

REALmethodDefinition Method(REALproc function, const char* declaration, REALproc setter = nullptr) {
  return {function, setter, declaration, 4, {}};
}

// In registration order. The two with an assignment form carry its setter,
// called with the block, the offset and the new value.
REALmethodDefinition methods[] = {
    Method(Entry(&Calc3te),
           "_Calc3te(Source1 as Integer, Source2 as Integer, Source3 as Integer, Source4 as Integer, "
           "Dest1 as Integer, Dest2 as Integer, Dest3 as Integer, Dest4 as Integer, Tolerance as double, "
           "offsetByte as Integer = 0, Length as integer = 0)"),
    Method(Entry(&Calc2te),
           "_Calc2te(iByteMax as integer = 255, offsetByte as Integer = 0, Length as integer = 0, "
           "WithSum0 as boolean = true)"),
    Method(Entry(&CalcLogSweepTable),
           "_CalcLogSweepTableQVX(offsetByte as Integer, Z as integer, lw1 as integer, lw2 as integer, T as double)"),
    Method(Entry(&ConvertPolarToCartesian),
           "_ConvertPolarToCartesian(offsetByte as Integer, Z as integer, polarData as Memoryblock)"),
    Method(Entry(&ConvertCartesianToPolar),
           "_ConvertCartesianToPolar(offsetByte as Integer, Z as integer, CartesianData as Memoryblock)"),
    Method(Entry(&MultiplyUInt16QVX),
           "MultiplyUInt16QVX(Factor as double, offsetByte as Integer = 0, lengthBytes as integer = 0)"),
    Method(Entry(&MultiplyUInt8QVX),
           "MultiplyUInt8QVX(Factor as double, offsetByte as Integer = 0, lengthBytes as integer = 0)"),
    Method(Entry(&MinQVX),
           "MinQVX(firstMem as Ptr, secondMem as Ptr, BitSize as integer = 8, Signed as Boolean = false, "
           "offsetByte as Integer = 0, lengthBytes as integer = 0) as boolean"),
    Method(Entry(&MaxQVX),
           "MaxQVX(firstMem as Ptr, secondMem as Ptr, BitSize as integer = 8, Signed as Boolean = false, "
           "offsetByte as Integer = 0, lengthBytes as integer = 0) as boolean"),
    Method(Entry(&MirrorBitsInBytesQVX), "MirrorBitsInBytesQVX(offsetByte as Integer, lengthByte as integer)"),
    Method(Entry(&MirrorBytesQVX), "MirrorBytesQVX(offsetByte as Integer = 0, lengthByte as integer = -1)"),
    Method(Entry(&MirrorBitsQVX), "MirrorBitsQVX(offsetBit as Integer, lengthBit as integer)"),
    Method(Entry(&AddressQVX), "AddressQVX(offset as Int64 = 0) as UInt64"),
    Method(Entry(&AddressPtrQVX), "AddressPtrQVX(offset as Int64 = 0) as Ptr"),
    Method(Entry(&getOSType), "OSTypeQVX(offset as Integer) as String", Entry(&setOSType)),
    Method(Entry(&getString), "GetStringQVX(offset as Integer, numBytes as Integer) as String"),
    Method(Entry(&setString), "SetStringQVX(str as String, offset as Integer)"),
    Method(Entry(&swapBytes), "SwapBytesQVX(offset as Integer, numBytes as Integer)"),
    Method(Entry(&swapBytes16), "SwapBytes16QVX(offset as Integer, numBytes as Integer)"),
    Method(Entry(&swapBytes32), "SwapBytes32QVX(offset as Integer, numBytes as Integer)"),
    Method(Entry(&BytesEqualQVX),
           "BytesEqualQVX(srcOfs as Integer, numBytes as Integer, destBlk as MemoryBlock, destOfs as Integer) "
           "as Boolean"),
    Method(Entry(&BytesZeroQVX), "BytesZeroQVX(srcOfs as Integer, numBytes as Integer) as Boolean"),
    Method(Entry(&FindNotByteQVX),
           "FindNotByteQVX(srcOfs as Integer, numBytes as Integer, byteValue as integer) as integer"),
    Method(Entry(&FindByteQVX), "FindByteQVX(srcOfs as Integer, numBytes as Integer, byteValue as integer) as integer"),
    Method(Entry(&copyBytes1), "CopyBytesQVX(srcOfs as Integer, numBytes as Integer, destOfs as Integer)"),
    Method(Entry(&copyBytes2),
           "CopyBytesQVX(srcOfs as Integer, numBytes as Integer, destBlk as MemoryBlock, destOfs as Integer)"),
    Method(Entry(&toMacPtr), "CopyBytesToMacPtrQVX(srcOfs as Integer, numBytes as Integer, destPtr as Ptr)"),
    Method(Entry(&fromMacPtr), "CopyBytesFromMacPtrQVX(srcPtr as Ptr, numBytes as Integer, destOfs as Integer)"),
    Method(Entry(&toMacHdl), "CopyBytesToMacHandleQVX(srcOfs as Integer, numBytes as Integer, destHandle as Integer)"),
    Method(Entry(&fromMacHdl),
           "CopyBytesFromMacHandleQVX(srcHandle as Integer, numBytes as Integer, destOfs as Integer)"),
    Method(Entry(&findBytes1), "FindStringQVX(srcOfs as Integer, maxBytes as Integer, target as String) as Integer"),
    Method(Entry(&findBytes2),
           "FindBytesQVX(srcOfs as Integer, maxBytes as Integer, target as MemoryBlock, targOfs as Integer, "
           "targLen as Integer) as Integer"),
    Method(Entry(&getFSSpec), "FSSpecQVX(offset as Integer) as FolderItem", Entry(&setFSSpec)),
    Method(Entry(&getMid1), "MidQVX(offset as integer) as Memoryblock"),
    Method(Entry(&getMid2), "MidQVX(offset As Integer, length As Integer) as Memoryblock"),
    Method(Entry(&getLeft), "LeftQVX(length as integer) as Memoryblock"),
    Method(Entry(&getRight), "RightQVX(length As Integer) as Memoryblock"),
    Method(Entry(&getAppend), "AppendQVX(other as Memoryblock) as Memoryblock"),
    Method(Entry(&fillbytes), "FillBytesQVX(offset as integer, count as integer, value as integer)"),
    Method(Entry(&InvertBytesQVX), "InvertBytesQVX(offset as integer, count as integer)"),
    Method(Entry(&CopyNthBytes),
           "CopyNthBytesQVX(source as memoryblock, SourceOffsetBytes as integer, DestinationOffsetBytes as integer, "
           "ByteCount as integer, StepCount as integer, NumberOfSteps as integer) as boolean"),
    Method(Entry(&CopyNthBits),
           "CopyNthBitsQVX(source as memoryblock, SourceOffsetBits as integer, DestinationOffsetBits as integer, "
           "BitCount as integer, StepCount as integer, NumberOfSteps as integer) as boolean"),
    Method(Entry(&ExpandBitsQVX),
           "ExpandBitsQVX(dest as memoryblock, SourceByteCount as integer, LowValue as integer = 0, "
           "HighValue as integer = 255) as boolean"),
};

static_assert(sizeof(methods) / sizeof(methods[0]) == 43, "the extension registers 43 methods");

}  // namespace

// Extends the host's own class: no data, no constructor or destructor.
REALclassDefinition MemoryBlockExtension = ClassRecord("MemoryBlock", 0, nullptr, properties, methods);

}  // namespace qvxmemory
