#pragma once
// Module HID: everything the bootloader protocol and the update application
// share for the whole run.
//
//   module.h        the module data (plain variables), its start values and
//                   its finalisation order; MemoryRegion
//   text_helpers.h  StringToHex, hex6
//   messages.h      ShowMessage, the modal message the module shows
//   fill_bytes.h    the MemoryBlock fill the region images are made with
//   read_mode.h     how ReadCommand waits for an answer
//   packets.h       the 64-byte Packet, its builders, the GetDataReply layout
//   program_packets.h  how programming cuts a region's image into packets
//   query_device.h  the QueryDeviceReply layout, the family table, the
//                   evaluation of a reply and ParseMemoryRegions
//   trace.h         the debug trace of diagnostic builds and its log file
//   encoding_to_hex.h  the hex text that the log file shows data in
//
// Everything runs on the application's one thread; nothing is locked.

#include "protocol/encoding_to_hex.h"
#include "protocol/fill_bytes.h"
#include "protocol/messages.h"
#include "protocol/module.h"
#include "protocol/packets.h"
#include "protocol/program_packets.h"
#include "protocol/query_device.h"
#include "protocol/read_mode.h"
#include "protocol/text_helpers.h"
#include "protocol/trace.h"
