#pragma once
// Exceptions across the plug-in boundary.
//
// A plug-in raises an exception with RuntimeRaiseException and goes on to
// return its neutral result; C++ exceptions (Quit included) thrown by an event
// handler that a plug-in called must not unwind through the plug-in either.
// Both wait in the current call frame and are thrown once the plug-in code
// has returned to the host: by the bound entry that called it, or by whoever
// else calls into plug-in code (a platform stand-in dispatching a plug-in's
// event handler) through a CallFrame.

#include <exception>

#include "framework/object.h"

namespace pluginhost {

// One call into plug-in code. Frames nest (a plug-in member may raise an event
// whose handler calls another member); each sees only what was raised inside
// it. Main thread or not, each thread has its own frames.
class CallFrame {
 public:
  CallFrame();
  ~CallFrame();
  CallFrame(const CallFrame&) = delete;
  CallFrame& operator=(const CallFrame&) = delete;

  // Throws what was raised during the frame: the first exception object as its
  // framework exception type, else the first deferred C++ exception. Nothing
  // when nothing was raised. Call it once the plug-in code has returned.
  void finish();

 private:
  friend void raise_pending(framework::Ref<framework::Object> exception);
  friend bool defer_pending(std::exception_ptr exception);

  CallFrame* outer_;
  framework::Ref<framework::Object> raised_;
  std::exception_ptr deferred_;
};

// RuntimeRaiseException: keeps the exception for the innermost frame (the
// first one raised wins). Outside any frame it is dropped, with a debug log line.
void raise_pending(framework::Ref<framework::Object> exception);

// Keeps a C++ exception that must not cross plug-in code for the innermost
// frame. False outside any frame: the caller lets it go on, so that nothing
// (a Quit above all) is lost.
bool defer_pending(std::exception_ptr exception);

}  // namespace pluginhost
