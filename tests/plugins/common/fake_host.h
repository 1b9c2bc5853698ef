#pragma once
// A small fake host: a table of services the test can thin out, strings laid
// out as a host lays them out for reading in place, memory blocks, exception
// objects, and a log of the calls the plug-in side made.

#include <cstdint>
#include <map>
#include <optional>
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
};

struct Object {
  Kind kind = Kind::Object;
  int refs = 1;
  std::string class_name;
  std::map<std::string, std::string> string_props;  // "<nil>" for nil
  std::map<std::string, int32_t> int_props;
};

struct Host {
  std::optional<double> version;
  std::map<std::string, REALproc> services;  // erase one to make the host lack it
  std::map<std::string, int> lookups;        // resolver calls per name
  std::vector<std::string> calls;            // in order
  std::vector<REALclassDefinition*> classes;
  std::vector<REALclassDefinition*> extensions;
  std::vector<REALmethodDefinition*> methods;
  std::vector<Object*> raised;  // the host keeps one reference to each
  std::vector<std::string> known_classes{"NilObjectException", "OutOfMemoryException",
                                         "UnsupportedOperationException", "RuntimeException"};
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
};

// The host the resolver answers for; a fresh one per test.
Host& Current();
void Reset();
void Destroy();
REALproc Resolve(const char* name);

// Helpers for tests.
REALstring MakeString(const std::string& bytes, uint32_t encoding);
String* AsString(REALstring s);
Block* AsBlock(REALmemoryBlock b);
void Unlock(REALstring s);
void Unlock(REALmemoryBlock b);

}  // namespace fakehost
