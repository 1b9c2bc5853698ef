#pragma once
// The plug-in host: what plug-in files see of the framework (the resolver and
// its services, plugin_interface.h) and what the application uses to load
// them, bind their members and receive their events.
//
//   load_plugins(bundle_plugin_folder());       // every plug-in registers
//   pluginhost::Binder binder;                  // the application's declarations,
//   auto find = binder.method<bool(Ref<Object>)>("MacHIDQVX", "FindFirstDevice as boolean");
//   binder.bind_or_quit();                      // in a fixed order, then bound
//   Ref<Object> hid = new_instance("MacHIDQVX");
//   connect_event<void(String, int32_t)>(hid.get(), "ReceivedData", handler);
//   bool found = find(hid);
//
// Everything here runs on the main thread unless its header says otherwise.

#include "pluginhost/binder.h"
#include "pluginhost/call_frame.h"
#include "pluginhost/declaration.h"
#include "pluginhost/events.h"
#include "pluginhost/handles.h"
#include "pluginhost/host.h"
#include "pluginhost/loader.h"
#include "pluginhost/marshal.h"
