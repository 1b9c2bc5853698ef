#pragma once
// The CoreFoundation calls the HID plug-in makes: reference-counted strings,
// numbers, dictionaries, UUIDs and the main run loop. C-compatible.
//
// All objects are used on the main thread only; nothing here locks.
// CFRelease of nil does nothing. Constant objects (CFSTR texts, constant UUIDs,
// the main run loop) live for the whole process and ignore CFRelease.

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned char Boolean;
typedef uint8_t UInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef int64_t SInt64;
typedef long CFIndex;
typedef UInt32 CFStringEncoding;
typedef CFIndex CFNumberType;
typedef unsigned long CFOptionFlags;

typedef const void* CFTypeRef;
typedef const struct CFAllocatorObject* CFAllocatorRef;
typedef const struct CFStringObject* CFStringRef;
typedef const struct CFNumberObject* CFNumberRef;
typedef const struct CFDictionaryObject* CFDictionaryRef;
typedef struct CFDictionaryObject* CFMutableDictionaryRef;
typedef const struct CFUUIDObject* CFUUIDRef;
typedef struct CFRunLoopObject* CFRunLoopRef;
typedef struct CFRunLoopSourceObject* CFRunLoopSourceRef;

// There is one allocator; nil stands for it everywhere.
#define kCFAllocatorDefault ((CFAllocatorRef)0)

enum {
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingUTF8 = 0x08000100,
};

enum {
  kCFNumberSInt32Type = 3,
  kCFNumberSInt64Type = 4,
  kCFNumberIntType = 9,
  kCFNumberLongLongType = 11,
};

typedef struct {
  UInt8 byte0, byte1, byte2, byte3, byte4, byte5, byte6, byte7;
  UInt8 byte8, byte9, byte10, byte11, byte12, byte13, byte14, byte15;
} CFUUIDBytes;

void CFRelease(CFTypeRef object);

// A constant string from UTF-8 text; the same text always gives the same object.
CFStringRef CFStringMakeConstant(const char* utf8);
#define CFSTR(text) CFStringMakeConstant("" text "")

// Length in UTF-16 units.
CFIndex CFStringGetLength(CFStringRef text);
// Writes the text and a terminating zero into buffer. False when the buffer
// cannot hold both, when the text cannot be expressed in the encoding (UTF-8
// and ASCII are supported) or when an argument is nil.
Boolean CFStringGetCString(CFStringRef text, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);

// Writes the value converted to the type. False when the value does not fit
// (the truncated value is written) or the type is not one of the integer
// types above (nothing is written).
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* valuePtr);

// Keys compare by value for strings and numbers, by identity otherwise.
// Nil when the key is absent or the dictionary is nil.
const void* CFDictionaryGetValue(CFDictionaryRef dictionary, const void* key);

CFUUIDRef CFUUIDGetConstantUUIDWithBytes(CFAllocatorRef allocator, UInt8 byte0, UInt8 byte1, UInt8 byte2, UInt8 byte3,
                                         UInt8 byte4, UInt8 byte5, UInt8 byte6, UInt8 byte7, UInt8 byte8, UInt8 byte9,
                                         UInt8 byte10, UInt8 byte11, UInt8 byte12, UInt8 byte13, UInt8 byte14,
                                         UInt8 byte15);
CFUUIDBytes CFUUIDGetUUIDBytes(CFUUIDRef uuid);

// The main run loop is the application's event loop (see iokit/main_run_loop.h).
// It has one mode; every mode name is taken as the default mode.
extern const CFStringRef kCFRunLoopDefaultMode;
CFRunLoopRef CFRunLoopGetMain(void);
// Adding keeps a reference to the source until it is removed; adding twice
// or removing a source that is not there does nothing.
void CFRunLoopAddSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFStringRef mode);
void CFRunLoopRemoveSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFStringRef mode);

#ifdef __cplusplus
}
#endif
