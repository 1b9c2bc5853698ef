#pragma once
// Getting at the bytes of a host string, shared by rbRawText and rbText.

#include <cstdint>

#include "plugin_interface.h"

namespace plugincommon::detail {

enum class StringDataSource { None, Host, Copy };

// Fills out with the string's bytes in the encoding (REALEncodingUnknown: as
// stored): from PluginGetStringData, or where the host lacks it a
// zero-terminated heap copy of StringGetCString and LenB.
StringDataSource GetStringData(REALstring string, uint32_t encoding, REALstringData* out);

// Gives back what GetStringData filled and clears the record. Host data goes
// back through PluginDisposeStringData; our own copy is freed here, never
// handed to the host.
void DisposeStringData(StringDataSource source, REALstringData* data);

// The text of a string read in place (word 1 points one byte before it, word
// 3 holds its length); false when the string has no text pointer.
bool ReadInPlace(REALstring string, const unsigned char** ptr, int64_t* length);

}  // namespace plugincommon::detail
