#pragma once
// The Qt 6 Widgets backend: the module libframework_ui_qt.so.1, which the
// framework loads when it chooses qt, so that a program maps Qt only then.
//
// One top-level window per visible framework window, at its position and
// size, with the application's menu bar above its content; every control at
// its place; canvases render their display lists (each picture stretched into
// its destination); message boxes are modal Qt message boxes. Clicks, typing,
// keys, menu choices, close boxes, moves and resizes only queue user input
// (input.h); no application code runs inside Qt. The main loop waits in Qt's
// dispatcher, with a timer for its next deadline and socket notifiers for its
// descriptors, so windows stay responsive while nothing is due.
//
// Screenshots: with FRAMEWORK_SCREENSHOTS=<dir>, screenshot(NAME) saves
// <dir>/NAME-<window class>.png of the content of every visible window, and
// the end of the application saves <dir>/quit-<window class>.png. On the
// offscreen platform (QT_QPA_PLATFORM=offscreen) this needs no display.

#include <memory>

#include "framework/ui/backend.h"

namespace framework::qt {

// The module's file, found like a library the program links: through the
// program's RUNPATH.
inline constexpr const char* kModuleFile = "libframework_ui_qt.so.1";
// The module's one entry: a new backend, or nullptr (after saying why on
// standard error) when Qt has no display to use.
inline constexpr const char* kModuleEntry = "framework_ui_qt_make_backend";

// In framework_ui_app: loads the module (once) and makes its backend; nullptr
// after saying why on standard error, also when the module cannot be loaded.
// The program must be built with framework_ui_loads_qt (CMake).
std::unique_ptr<ui::Backend> load_backend();

// In the module (and in the backend's own tests, which link its code).
std::unique_ptr<ui::Backend> make_backend();

}  // namespace framework::qt
