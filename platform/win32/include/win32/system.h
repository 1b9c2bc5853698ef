#pragma once
// The system around the C functions, for the program and its tests.

#include <string>

#include "hidbus/hidbus.h"

namespace win32 {

// The HID bus the stand-in walks and opens: the one set here, or
// hidbus::default_bus(). The bus must outlive every file opened on it.
hidbus::Bus& bus();
void set_bus(hidbus::Bus* bus);

// Takes a library away, as on a system that lacks it: LoadLibraryA fails with
// ERROR_MOD_NOT_FOUND and GetProcAddress finds nothing in it, also through a
// module loaded before. withdraw_export takes one function of it away.
// restore_libraries brings everything back.
void withdraw_library(const std::string& name);
void withdraw_export(const std::string& library, const std::string& name);
void restore_libraries();

}  // namespace win32
