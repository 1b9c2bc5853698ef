#pragma once
// System.DebugLog: one line per call, written to standard error, appended to
// the file named by the environment variable FRAMEWORK_DEBUGLOG when it is set,
// and handed to the debug log sink when one is installed. Nothing of it is
// kept. Thread-safe.

#include <functional>
#include <string>

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

}  // namespace framework::System
