#include "cf_internal.h"

#include <algorithm>

namespace iokit::cf {

CFRunLoopSourceRef make_source(std::function<void(bool)> on_loop_changed) {
  auto* source = new CFRunLoopSourceObject;
  source->on_loop_changed = std::move(on_loop_changed);
  return source;
}

}  // namespace iokit::cf

extern "C" {

const CFStringRef kCFRunLoopDefaultMode = CFStringMakeConstant("kCFRunLoopDefaultMode");

CFRunLoopRef CFRunLoopGetMain(void) {
  static auto* main_loop = [] {
    auto* loop = new CFRunLoopObject;
    loop->constant = true;
    return loop;
  }();
  return main_loop;
}

void CFRunLoopAddSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFStringRef) {
  if (loop == nullptr || source == nullptr || source->on_loop) return;
  iokit::cf::retain(source);
  loop->sources.push_back(source);
  source->on_loop = true;
  if (source->on_loop_changed) source->on_loop_changed(true);
}

void CFRunLoopRemoveSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFStringRef) {
  if (loop == nullptr || source == nullptr) return;
  auto it = std::find(loop->sources.begin(), loop->sources.end(), source);
  if (it == loop->sources.end()) return;
  loop->sources.erase(it);
  source->on_loop = false;
  if (source->on_loop_changed) source->on_loop_changed(false);
  CFRelease(source);
}

}  // extern "C"
