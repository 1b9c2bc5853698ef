#include "pluginhost/events.h"

#include <map>
#include <mutex>
#include <stdexcept>
#include <string>

#include "pluginhost/handles.h"
#include "registry.h"
#include "services.h"

namespace pluginhost {
namespace {

struct Connection {
  const PluginEvent* event;
  std::shared_ptr<void> handler;
  REALproc (*trampoline)(size_t);
};

struct Connections {
  std::mutex mutex;
  std::map<const framework::Object*, std::vector<Connection>> by_instance;
};

Connections& connections() {
  static Connections* c = new Connections;
  return *c;
}

// The event of that name in the instance's plug-in classes, nearest first.
const PluginEvent* FindEvent(framework::Object* instance, std::string_view name) {
  std::string wanted = normal_name(name);
  for (const framework::ClassRecord* c = &instance->object_class(); c != nullptr; c = c->superclass()) {
    const PluginClass* pc = registry::class_of(*c);
    if (pc == nullptr) break;
    for (const auto& event : pc->events) {
      if (normal_name(event->parsed.name) == wanted) return event.get();
    }
    c = pc->record;  // go on above this plug-in class
  }
  return nullptr;
}

}  // namespace

namespace detail {

std::shared_ptr<void> event_handler(REALobject instance, size_t index) {
  Connections& c = connections();
  std::lock_guard lock(c.mutex);
  auto it = c.by_instance.find(from_handle(instance));
  if (it == c.by_instance.end()) return nullptr;
  for (const Connection& connection : it->second) {
    if (connection.event->index == index) return connection.handler;
  }
  return nullptr;
}

void connect(framework::Object* instance, std::string_view event_name, const std::vector<ValueKind>& parameters,
             ValueKind result, std::shared_ptr<void> handler, REALproc (*trampoline)(size_t)) {
  if (instance == nullptr) throw std::invalid_argument("event handler for a nil instance");
  const PluginEvent* event = FindEvent(instance, event_name);
  if (event == nullptr) {
    throw std::invalid_argument("class " + instance->object_class().name() + " has no event " +
                                std::string(event_name));
  }
  if (event->parsed.parameters != parameters || event->parsed.result != result) {
    throw std::invalid_argument("handler does not match the event " + event->declaration);
  }
  if (event->index >= kEventSlots) {
    throw std::invalid_argument("event beyond the first " + std::to_string(kEventSlots) + ": " + event->declaration);
  }
  Connections& c = connections();
  std::lock_guard lock(c.mutex);
  auto& list = c.by_instance[instance];
  for (Connection& connection : list) {
    if (connection.event == event) {
      connection = Connection{event, std::move(handler), trampoline};
      return;
    }
  }
  list.push_back(Connection{event, std::move(handler), trampoline});
}

}  // namespace detail

void disconnect_event(framework::Object* instance, std::string_view event_name) {
  std::vector<Connection> gone;  // released outside the lock, as below
  Connections& c = connections();
  std::lock_guard lock(c.mutex);
  auto it = c.by_instance.find(instance);
  if (it == c.by_instance.end()) return;
  std::string wanted = normal_name(event_name);
  auto& list = it->second;
  for (auto i = list.begin(); i != list.end();) {
    if (normal_name(i->event->parsed.name) == wanted) {
      gone.push_back(std::move(*i));
      i = list.erase(i);
    } else {
      ++i;
    }
  }
  if (list.empty()) c.by_instance.erase(it);
}

void disconnect_events(framework::Object* instance) {
  // Handlers may hold the last reference to things whose end runs code; let
  // them go outside the lock.
  std::vector<Connection> gone;
  {
    Connections& c = connections();
    std::lock_guard lock(c.mutex);
    auto it = c.by_instance.find(instance);
    if (it == c.by_instance.end()) return;
    gone = std::move(it->second);
    c.by_instance.erase(it);
  }
}

namespace services {

REALproc GetEventInstance(REALobject instance, REALword eventHostWord) {
  const PluginEvent* event = registry::event_of_token(eventHostWord);
  if (event == nullptr || instance == nullptr) return nullptr;
  Connections& c = connections();
  std::lock_guard lock(c.mutex);
  auto it = c.by_instance.find(from_handle(instance));
  if (it == c.by_instance.end()) return nullptr;
  for (const Connection& connection : it->second) {
    if (connection.event == event) return connection.trampoline(event->index);
  }
  return nullptr;
}

}  // namespace services
}  // namespace pluginhost
