#pragma once
// System.DebugLog: one line per call, written to standard error, appended to
// the file named by the environment variable FRAMEWORK_DEBUGLOG when it is set,
// and kept in memory (the most recent 100000 lines) for tests. Thread-safe.

#include <functional>
#include <string>
#include <vector>

#include "framework/string.h"

namespace framework::System {

void DebugLog(const String& message);

// Takes each line, as UTF-8 without its newline, after it has been written.
// It is called under the log's lock, in the order of the lines, on the thread
// that logs: it must not log itself.
using DebugLogSink = std::function<void(const std::string& line)>;

// Installs sink in place of the one before; an empty sink uninstalls. When it
// returns, the sink before takes no line any more. None is installed at first.
void SetDebugLogSink(DebugLogSink sink);

// The lines logged so far, as UTF-8: the newest of them, at most 100000 lines
// and 4 MiB of text.
std::vector<std::string> debug_log_lines();
void clear_debug_log();

}  // namespace framework::System
