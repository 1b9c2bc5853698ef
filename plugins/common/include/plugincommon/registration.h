#pragma once
// Entry and class registration, the same steps in every plug-in file.
//
// A plug-in's REALPluginMain is
//     plugincommon::BeginPluginMain(resolver);
//     ... the file's own steps, then its registrations through
//     RegisterClassDefinition / RegisterClassExtension / RegisterGlobalMethod.

#include <cstddef>
#include <cstdint>

#include "plugin_interface.h"

namespace plugincommon {

// Globals of the plug-in file (each plug-in links this library statically, so
// each file has its own), alive for the whole process.
extern REALresolverProc gResolver;
// The host version from REALGetRBVersion; 0.0 until set and when the host lacks it.
extern double rbversion_rbversion;
// The negotiated interface level, 9 to 12; 0 before BeginPluginMain.
extern int32_t CurrentREALControlVersion;

// Steps 1 to 4 of every REALPluginMain: keep the resolver, negotiate the level
// and announce it with RegisterPluginVersion. A host without
// RegisterPluginVersion is not called; registration goes on at the level.
void BeginPluginMain(REALresolverProc resolver);

// Sets rbversion_rbversion (when the host has REALGetRBVersion) and
// CurrentREALControlVersion: 12 from 2013.03, 11 from 2013.0, 10 from 2012.0,
// else 9 (also for a version that is not a number).
void NegotiateInterfaceLevel();

// The level for a host version, as NegotiateInterfaceLevel picks it.
int32_t InterfaceLevelForVersion(double version);

// Rounds the data size up to a multiple of 16, converts the definition to its
// level-9 form in place when the level is 9 (else writes the level into word
// 0), and registers it with PluginRegisterClass. Skipped silently when the
// host lacks the service (at level 9 the definition is converted anyway).
void RegisterClassDefinition(REALclassDefinition* definition);

// The same for a class extension, with PluginRegisterClassExtension and
// without the rounding.
void RegisterClassExtension(REALclassDefinition* definition);

// A global method through PluginRegisterMethod. Its first four words are its
// level-9 form, so it is registered as it stands at every level.
void RegisterGlobalMethod(REALmethodDefinition* method);

// A new zero-filled level-9 definition built from the 29-word one (tables
// converted, words 16 and 17 zero, counts copied as they stand); the caller
// copies it and frees it with FreeAlloc. Nil when it cannot be allocated.
REALclassDefinition9* FixClass(REALclassDefinition* definition);

// Each returns a new zero-filled table in the level-9 layout, or nil for a nil
// table or a count whose table size is not between 1 and 2^31 - 1. The host
// keeps these tables; they are never freed.
REALproperty9* FixProperties(const REALproperty* table, REALsword count);
REALmethodDefinition9* FixMethods(const REALmethodDefinition* table, REALsword count);
REALconstant9* FixConstants(const REALconstant* table, REALsword count);
// Also stores in each source record's second word the address of its
// converted copy, whose second word the level-9 host fills.
REALevent9* FixEvents(REALevent* table, REALsword count);

// The host word of a registered event record, to pass to GetEventInstance:
// the record's own second word, or at level 9 that of its converted copy.
REALword EventHostWord(const REALevent& event);

// A routine as the entry of a table record.
template <typename F>
REALproc Entry(F* f) {
  return reinterpret_cast<REALproc>(f);
}

// The record count of a table, as a class definition holds it.
template <typename T, std::size_t N>
constexpr REALsword CountOf(const T (&)[N]) {
  return static_cast<REALsword>(N);
}

// The plug-in data of an instance of a registered class; nil for nil.
template <typename Data>
Data* PluginData(REALobject instance, const REALclassDefinition& definition) {
  if (instance == nullptr) return nullptr;
  return reinterpret_cast<Data*>(reinterpret_cast<unsigned char*>(instance) + definition.dataOffset);
}

// Returns the file's globals and service cache to their state before the
// first REALPluginMain, for tests that load the same code into a new host.
void ResetPluginState();

}  // namespace plugincommon
