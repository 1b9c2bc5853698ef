#pragma once
// What is on screen: the open windows and the message boxes, as the model
// holds them. Backends, the scripted user and tests look here.

#include <string_view>
#include <vector>

#include "framework/ui/msgbox.h"
#include "framework/ui/window.h"

namespace framework::ui {

// Every open window (built and not closed), oldest first.
const std::vector<Ref<Window>>& open_windows();
// The newest open window of that class ("mainWindow"); nil when none.
Ref<Window> find_window(std::string_view class_name);
// "mainWindow.StartButton": that control of the newest open window of the
// class; nullptr when either is missing.
Control* find_control(std::string_view path);

// The message boxes open now, the newest last.
const std::vector<Ref<MessageBox>>& open_message_boxes();

// The innermost window in ShowModal; nullptr when none.
Window* modal_window();
// Whether the user can reach the window now: it is open and visible, no
// message box is open, and it is the modal window when there is one.
bool reachable(const Window& window);

// Ends every window and forgets the message boxes, without application code;
// the top level does this when the application ends.
void close_all();

}  // namespace framework::ui
