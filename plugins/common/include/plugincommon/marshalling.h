#pragma once
// Moving bytes across the host boundary: host strings from bytes with an
// encoding rule, UTF-16 and UTF-32 input as UTF-8 strings, memory blocks from
// bytes, the bytes of a host string as stored or as Mac Roman, raising a host
// exception, and bounded zero-filled allocation.
//
// Converters give nil, never an exception, for missing bytes, a zero or
// out-of-range length, a failed host call or a missing host service. Strings
// and blocks they return carry one reference that the caller owns.

#include <cstdint>

#include "plugin_interface.h"

namespace plugincommon {

// A new string of the bytes. Nil for no bytes or a length outside 1 to
// 2^31 - 1. Codes 0, 0x0500 and 0xFFFF become 0x0600 when every byte is below
// 0x80; 0x0100 and 0x0C000100 go through UTF16BytesToString and
// UTF32BytesToString; every other code is kept.
REALstring BuildStringWithEncoding(const void* bytes, int64_t length, uint32_t encoding);

// UTF-16 (host byte order) to a new UTF-8 string, or nil.
REALstring UTF16BytesToString(const void* bytes, int64_t length);

// UTF-32 (host byte order; length / 4 units, a trailing partial unit ignored)
// to a new UTF-8 string, or nil. Characters above U+FFFF become surrogate
// pairs; a unit that is no character (a surrogate, above U+10FFFF) becomes
// U+FFFD.
REALstring UTF32BytesToString(const void* bytes, int64_t length);

// Zero-terminated UTF-16 text to a new UTF-8 string; nil for nil or empty text.
REALstring StringFromUTF16(const char16_t* text);
REALstring StringFromUTF16(const uint16_t* text);

// A new memory block holding a copy of the bytes. Nil without an exception for
// no bytes or a size of 0 or less, or when the block's bytes are unavailable.
// For a size of 2^31 - 1 or more, or a block the host cannot create, raises
// "OutOfMemoryException" with "Failed to allocate a memoryblock with <size>
// bytes in size." and gives nil.
REALmemoryBlock NewMemoryBlockFromBytes(const void* bytes, int64_t size);

// Raises a new instance of the named class (fallback "RuntimeException") with
// "Message" (nil for a nil or empty message) and "ErrorNumber" 0. The host
// raises it in the member's caller once the member returns, so the caller
// goes on to return its neutral result. Raises nothing when neither class can
// be made.
void RaiseException(const char* className, const char* message);

// A zero-filled block for a size from 1 to 2^31 - 1, else nil.
void* AllocZeroed(int64_t size);
void FreeAlloc(void* block);
// Sets count bytes to zero; nothing for a nil buffer or a count of 0 or less.
void ClearBytes(void* buffer, int64_t count);

// The bytes of a host string as stored, held for one use on the stack.
// Hosts above version 2013.0 are asked for the string's data; older ones (and
// a version that is no number) have the string locked and read in place.
// Where the host lacks PluginGetStringData, the bytes are copied from
// StringGetCString and "LenB( s as string ) as integer".
class rbRawText {
 public:
  rbRawText() = default;
  explicit rbRawText(REALstring string) { Acquire(string); }
  ~rbRawText() { Release(); }
  rbRawText(const rbRawText&) = delete;
  rbRawText& operator=(const rbRawText&) = delete;

  // Releases what is held, then takes the bytes of string; nil and 0 when
  // the string is nil or its bytes cannot be had.
  void Acquire(REALstring string);
  // Gives the bytes back: unlocks the string, disposes of the string data.
  void Release();

  const unsigned char* Ptr() const { return ptr_; }
  int64_t Length() const { return length_; }

 private:
  REALstring held_ = nullptr;
  REALstringData record_{};
  bool acquired_ = false;
  bool own_copy_ = false;  // record_ holds our heap copy, not host data
  const unsigned char* ptr_ = nullptr;
  int64_t length_ = 0;
};

// A host string's bytes in a requested form. The string is borrowed: the
// caller keeps it alive while the holder is used.
class rbText {
 public:
  enum class Form { MacRoman, Raw };

  explicit rbText(REALstring string, Form form = Form::MacRoman) : string_(string), raw_(form == Form::Raw) {}
  ~rbText() { Clear(); }
  rbText(const rbText&) = delete;
  rbText& operator=(const rbText&) = delete;

  // Fills the form: the text in Mac Roman, zero-terminated, or with Form::Raw
  // the bytes as stored. Hosts from 2012.0 on are asked for string data; older
  // ones are read in place (Mac Roman through REALConvertString first). When
  // the text cannot be had, Failed() is true and the form is empty.
  void ConvertMacRoman();

  // Never nil: an empty form points at a zeroed static buffer.
  const unsigned char* Ptr() const { return ptr_; }
  int64_t Length() const { return length_; }
  bool Failed() const { return failed_; }

 private:
  void Clear();

  REALstring string_;
  bool raw_;
  const unsigned char* ptr_ = EmptyBuffer();
  int64_t length_ = 0;
  REALstring converted_ = nullptr;
  REALstringData record_{};
  bool acquired_ = false;
  bool own_copy_ = false;
  unsigned char* copy_ = nullptr;
  bool failed_ = false;

  static const unsigned char* EmptyBuffer();
};

}  // namespace plugincommon
