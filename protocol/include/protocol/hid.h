#pragma once
// Module HID: everything the bootloader protocol and the update application
// share for the whole run.
//
//   module.h        the module data (plain variables), its start values and
//                   its finalisation order; MemoryRegion
//   text_helpers.h  StringToHex, hex6
//   bound.h         what the functions use of the bound members: the modal
//                   message, the region images' fill, the log file's hex text
//   read_mode.h     how ReadCommand waits for an answer
//   packets.h       the 64-byte Packet, its builders, the GetDataReply layout
//   program_packets.h  how programming cuts a region's image into packets
//   query_device.h  the QueryDeviceReply layout, the family table, the
//                   evaluation of a reply and ParseMemoryRegions
//   trace.h         the debug trace of diagnostic builds and its log file
//
// Everything runs on the application's one thread; nothing is locked.

#include "protocol/bound.h"
#include "protocol/module.h"
#include "protocol/packets.h"
#include "protocol/program_packets.h"
#include "protocol/query_device.h"
#include "protocol/read_mode.h"
#include "protocol/text_helpers.h"
#include "protocol/trace.h"
