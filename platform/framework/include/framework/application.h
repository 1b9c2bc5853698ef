#pragma once
// The top level: start-up, Quit, finalisation.
//
// run(start) initialises the registered modules (in registration order), runs
// `start`, then the main loop until Quit. Then it finalises the modules in
// registration order, clears the main loop and releases the objects still
// alive (their destructor hooks run), and returns the exit code.
//
// Quit() does not return: it unwinds to run() with a private type that is not
// derived from std::exception. Code that catches `...` must rethrow.
//
// An exception that reaches the top level is reported through the exception
// reporter ("An exception of class NilObjectException was not handled. The
// application must shut down.") and run() returns 1, after finalising as on
// Quit. run() may be called again afterwards (tests do).

#include <functional>
#include <string>

#include "framework/string.h"

namespace framework {

// Runs the application; main thread only, not nested.
int run(const std::function<void()>& start);

// Ends the application with exit code 0. Main thread only; outside run() it
// throws std::logic_error.
[[noreturn]] void Quit();

// True while a run() is in progress.
bool running();

// A module's data: `initialise` runs before `start`, `finalise` after the loop
// has ended. Either may be empty. Registering a name again replaces its hooks
// and keeps its place in the order. Registrations last for the process.
void register_module(const std::string& name, std::function<void()> initialise, std::function<void()> finalise);
void unregister_module(const std::string& name);

// Receives the text of an exception that reached the top level. The default
// (also after setting an empty function) writes it to System::DebugLog.
void set_exception_reporter(std::function<void(const String& message)> reporter);

}  // namespace framework
