#pragma once
// A small host for loading QVXMemory.so in a test: the services the plug-in
// uses, memory blocks of known or unknown size, instances of the classes it
// registers, exception objects, and a log of what the plug-in did at load.
// A service can be taken away before the load to show the plug-in without it.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "plugin_interface.h"

namespace memtest {

struct Raised {
  std::string class_name;
  std::string message;
  bool message_nil = false;
  int32_t error_number = -1;
};

class FakeHost {
 public:
  FakeHost();
  ~FakeHost();
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // Loads a fresh copy of the plug-in file (own globals and service cache)
  // and calls its REALPluginMain with this host's resolver.
  void LoadPlugin();

  // Before LoadPlugin: the host version REALGetRBVersion reports.
  void SetVersion(double version) { version_ = version; }
  // Before LoadPlugin: the resolver answers nil for this service.
  void Lack(const std::string& service) { lacking_.insert(service); }

  // What the plug-in did at load, in order ("RegisterPluginVersion 12",
  // "PluginRegisterClassExtension MemoryBlock", ...), and every name it looked up.
  const std::vector<std::string>& Calls() const { return calls_; }
  const std::vector<std::string>& Lookups() const { return lookups_; }
  int32_t Level() const { return level_; }

  // The registered records, in the form of the negotiated level.
  const REALclassDefinition* Extension(const std::string& name) const;
  const REALclassDefinition* Class(const std::string& name) const;
  const REALmethodDefinition* GlobalMethod() const;

  // Entries by the declaration text they were registered with; nil when not
  // registered. Properties by name give their getter.
  REALproc Method(const REALclassDefinition* definition, const std::string& declaration) const;
  REALproc Getter(const REALclassDefinition* definition, const std::string& property) const;

  // Blocks the test owns one reference to.
  REALmemoryBlock NewBlock(size_t size, unsigned char fill = 0);
  // A block over foreign memory that reports the given size (0 or less: unknown).
  REALmemoryBlock NewForeignBlock(void* address, int32_t reported_size);
  // The block's current bytes; resizing changes what the host reports.
  std::vector<unsigned char>& Bytes(REALmemoryBlock block);
  void* BlockAddress(REALmemoryBlock block);
  int Refs(REALobject object);
  void Release(REALobject object);
  void Release(REALmemoryBlock block) { Release(reinterpret_cast<REALobject>(block)); }

  // A new instance of a registered class, data zero-filled.
  REALobject NewInstance(const std::string& class_name);

  const std::vector<Raised>& RaisedExceptions() const { return raised_; }
  // Host objects alive now (blocks, instances, strings, exceptions).
  int LiveObjects() const { return live_; }

  // The host the resolver's services answer for.
  static FakeHost& Current();

 private:
  friend struct Services;

  double version_ = 2013.03;
  std::set<std::string> lacking_;
  std::vector<std::string> calls_;
  std::vector<std::string> lookups_;
  int32_t level_ = 0;
  std::vector<REALclassDefinition*> classes_;
  std::vector<REALclassDefinition*> extensions_;
  std::vector<REALmethodDefinition*> globals_;
  std::vector<Raised> raised_;
  int live_ = 0;
  std::set<void*> objects_;  // freed with the host, whatever the plug-in left
};

}  // namespace memtest
