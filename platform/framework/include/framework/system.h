#pragma once
// System.DebugLog: one line per call, written to standard error, appended to
// the file named by the environment variable FRAMEWORK_DEBUGLOG when it is set,
// and kept in memory (the most recent 100000 lines) for tests. Thread-safe.

#include <string>
#include <vector>

#include "framework/string.h"

namespace framework::System {

void DebugLog(const String& message);

// The lines logged so far, as UTF-8: the newest of them, at most 100000 lines
// and 4 MiB of text.
std::vector<std::string> debug_log_lines();
void clear_debug_log();

}  // namespace framework::System
