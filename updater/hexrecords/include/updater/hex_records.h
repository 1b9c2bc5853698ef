#pragma once
// The rules by which the firmware's Intel HEX text is read, on plain bytes:
// how it is cut into lines, when a record is accepted and where the reading
// stops. The update window's reader (ReadFile) places the records it is handed
// and shows the message for the stop; the package maker refuses a firmware
// whose reading would not end on its end record. One walk for both, so that
// the maker never accepts a text the updater refuses, nor the other way round.
//
// Lines: the text is cut at every CR LF (an empty text has no lines, a final
// CR LF leaves an empty last line); each line is trimmed of space, tab, CR,
// LF, VT and FF. A record is a line that begins with ":". After the ":", in
// pairs of hex digits: the byte count n, the 16-bit address, the type, n data
// bytes and the checksum; text after the checksum is ignored, and a field the
// line ends inside is read from the digits that are there.

#include <cstdint>
#include <functional>
#include <string_view>

namespace updater {

// The value of up to `length` (at most 7) hex digits from 1-based byte
// position `pos` of `text`, as StringToHex reads MidB(text, pos, length): the
// digits up to the first that is none, either case; none at all read as 0.
int32_t HexDigitsAt(std::string_view text, int32_t pos, int32_t length);

// An accepted record of type 00 (data) or 04 (extended address).
struct HexRecord {
  int32_t type = 0;
  int32_t count = 0;      // the byte count n
  int32_t address = 0;    // the low 16 bits of the byte address
  std::string_view data;  // the data text: 2n digits, fewer when the line ends inside
};

enum class HexStop {
  kEndRecord,    // a type-01 record: the firmware is read
  kNotARecord,   // a line that does not begin with ":", an empty one included
  kChecksum,     // the checksum differs from the record's bytes (checked before the type)
  kRecordType,   // a type other than 00, 01 and 04
  kNoEndRecord,  // the lines ran out (the last one had no CR LF after it)
};

struct HexReading {
  HexStop stop = HexStop::kNoEndRecord;
  int32_t line = 0;       // 1-based number of the line the reading stopped at; the last line for kNoEndRecord
  std::string_view text;  // that line, trimmed
  bool last = false;      // no CR LF follows that line
  int32_t type = 0;       // the record's type (kEndRecord, kChecksum, kRecordType)
  int32_t expected = 0;   // kChecksum: the two's complement of the low byte of the bytes' sum
  int32_t found = 0;      // kChecksum: the record's own checksum
};

// Reads `text` line by line until a stop. `record` gets every accepted data
// and extended-address record, in order; `yield` is called after every byte
// added to a checksum and after every line that does not stop the reading
// (after `record`). The views handed out point into `text`.
HexReading ReadHexRecords(std::string_view text, const std::function<void(const HexRecord&)>& record = {},
                          void (*yield)() = nullptr);

}  // namespace updater
