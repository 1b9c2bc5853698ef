#pragma once
// A small fake plug-in host: a table of services the test can thin out,
// strings laid out as a host lays them out for reading in place, memory
// blocks of known, unknown or foreign size, exception objects, instances of
// the registered classes with their plug-in data at the host's offset, and a
// log of the calls the plug-in side made.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "plugin_interface.h"

namespace fakehost {

struct String {
  // The words a plug-in reads in place: 1 points one byte before the text,
  // 3 holds the length.
  REALword words[4] = {};
  uint32_t encoding = 0;
  int refs = 1;
  std::vector<unsigned char> storage;  // a length byte, the text, a zero

  std::string text() const { return std::string(storage.begin() + 1, storage.end() - 1); }
};

enum class Kind { Block, Object };

struct Block {
  Kind kind = Kind::Block;
  int refs = 1;
  std::vector<unsigned char> bytes;
  // What memoryBlockGetSize reports when it is not the bytes' count: -1 for a
  // foreign block of unknown size, 0 for an empty block that keeps a buffer.
  std::optional<int32_t> reported_size;
  // A block over memory the host does not own; its bytes stay empty.
  void* foreign = nullptr;
};

// An exception object, or an instance of a registered class.
struct Object {
  Kind kind = Kind::Object;
  int refs = 1;
  std::string class_name;
  std::map<std::string, std::string> string_props;  // "<nil>" for nil
  std::map<std::string, int32_t> int_props;
  const REALclassDefinition* definition = nullptr;  // an instance's class
  alignas(16) unsigned char data[2048] = {};        // an instance's plug-in data
};

// The host the resolver answers for while it lives; the latest one made.
class Host {
 public:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Loads the plug-in file and calls its REALPluginMain with the resolver.
  // Throws std::runtime_error when the file or its entry cannot be had.
  void Load(const std::string& file);
  // The same through a copy of the file of its own, so that the plug-in has
  // fresh globals and a fresh service cache: dlopen hands out one image per
  // file. The images stay mapped; the host keeps the records they hold.
  void LoadFreshCopy(const std::string& file);

  // The registered records, in the form of the negotiated level; nil when
  // not registered.
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
  // A new instance of a registered class, data zero-filled and its
  // constructor run; nil for a class that was not registered.
  REALobject NewInstance(const std::string& class_name);
  int Refs(REALobject object) const;
  // Drops one reference to a block, an exception or an instance; an
  // instance's destructor runs when the last one goes.
  void Release(REALobject object);
  void Release(REALmemoryBlock block) { Release(reinterpret_cast<REALobject>(block)); }

  // How often the plug-in asked the resolver for `name`.
  int LookupsOf(const std::string& name) const;
  // Host objects alive now (strings, blocks, exceptions, instances), less the
  // raised exceptions only the host still holds.
  int LiveObjects() const;

  std::optional<double> version = 2013.03;   // nil: REALGetRBVersion is missing
  std::map<std::string, REALproc> services;  // erase one to make the host lack it
  std::vector<std::string> lookups;          // resolver calls, in order
  std::vector<std::string> calls;            // in order
  std::vector<REALclassDefinition*> classes;
  std::vector<REALclassDefinition*> extensions;
  std::vector<REALmethodDefinition*> methods;
  std::vector<Object*> raised;  // the host keeps one reference to each
  std::vector<std::string> known_classes{"NilObjectException", "OutOfMemoryException", "UnsupportedOperationException",
                                         "RuntimeException"};
  int32_t level = 0;
  bool fail_new_block = false;
  bool null_block_ptr = false;
  bool fail_string_data = false;
  bool fail_convert = false;
  // New strings get a non-zero byte after their text instead of the zero.
  bool unterminated_strings = false;
  int live_strings = 0;
  int live_blocks = 0;
  int live_objects = 0;
  int live_string_data = 0;

 private:
  friend struct Services;
  // Everything made and not yet freed, freed with the host whatever the
  // plug-in left.
  std::set<String*> strings_;
  std::set<Block*> blocks_;
  std::set<Object*> objects_;
};

// The host the resolver answers for.
Host& Current();
// A fresh host owned here, replacing the one made by the last Reset; Destroy
// ends it.
void Reset();
void Destroy();
REALproc Resolve(const char* name);

// Helpers for tests.
REALstring MakeString(const std::string& bytes, uint32_t encoding);
String* AsString(REALstring s);
Block* AsBlock(REALmemoryBlock b);
Object* AsObject(REALobject o);
void Unlock(REALstring s);
void Unlock(REALmemoryBlock b);

}  // namespace fakehost
