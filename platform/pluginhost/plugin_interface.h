/*
 * The plug-in interface: the records a plug-in hands the host, the handles the
 * host hands back, the resolver and every host service a plug-in can look up.
 *
 * Plain C, shared by the host and every plug-in. A plug-in includes nothing
 * else of the host: it exports REALPluginMain and reaches the host only through
 * the resolver it is given.
 *
 * Every record is a row of pointer-sized words (REALword). Word counts and field
 * orders are fixed; byte sizes follow from the word size, so a 32-bit build has
 * the classic byte sizes (a 116-byte class definition, 100 bytes in its level-9
 * form, 48-byte property records, ...).
 */
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One word of a record. */
typedef uintptr_t REALword;
/* A signed word: counts and sizes in records. */
typedef intptr_t REALsword;
/* Booleans across the interface are one byte: 0 false, anything else true. */
typedef unsigned char REALboolean;
/* An entry point of unknown signature; cast to the member's own type to call. */
typedef void (*REALproc)(void);

/* Opaque handles on host objects. Strings and memory blocks are objects too. */
typedef struct REALobjectStruct *REALobject;
typedef struct REALstringStruct *REALstring;
typedef struct REALmemoryBlockStruct *REALmemoryBlock;
typedef struct REALfolderItemStruct *REALfolderItem;

/*
 * Interface levels. A plug-in picks one from the host version and announces it
 * with RegisterPluginVersion before it registers anything. Level 9 hosts read
 * the short record forms below (the ...9 types).
 */
enum { REALInterfaceLevelMin = 9, REALInterfaceLevelMax = 12 };

/*
 * Getter and setter value of a plain property: the host itself reads and writes
 * the 32-bit field at byte `param` of the plug-in data. Zero-extended on 64 bits.
 */
#define REALstandardAccessor ((REALproc)(uintptr_t)0xFFFFFFFFu)

/* Text encoding codes at the interface. */
enum {
  REALEncodingMacRoman = 0x00000000u,
  REALEncodingUTF16 = 0x00000100u,
  REALEncodingWindowsLatin1 = 0x00000500u,
  REALEncodingASCII = 0x00000600u,
  REALEncodingUTF8 = 0x08000100u,
  REALEncodingUTF32 = 0x0C000100u,
  /* Bytes of undetermined encoding; when asking for a string's bytes: as stored. */
  REALEncodingUnknown = 0x0000FFFFu
};

/* ---- Table records, levels 10 to 12 ---------------------------------------- */

/* 12 words. */
typedef struct REALproperty {
  REALword group; /* nil in every record */
  const char *name;
  const char *type; /* "Integer", "String", ... */
  REALword flags;
  REALproc getter;      /* REALstandardAccessor: host reads the field at param */
  REALproc setter;      /* REALstandardAccessor: host writes it; nil: read-only */
  REALsword param;      /* byte offset in the plug-in data, or the getter's argument */
  REALword reserved[5]; /* not in the level-9 form */
} REALproperty;

/* 6 words. */
typedef struct REALmethodDefinition {
  REALproc function;       /* called with the instance (or block) first */
  REALproc setter;         /* assignment form, nil for most methods */
  const char *declaration; /* "FindFirstDevice as boolean" */
  REALword flags;
  REALword reserved[2]; /* not in the level-9 form */
} REALmethodDefinition;

/* 4 words. */
typedef struct REALevent {
  const char *declaration; /* "ReceivedData(data as string, size as integer)" */
  /* Filled by the host at registration; GetEventInstance takes it. At level 9
     the plug-in's converter stores here the address of the converted record,
     whose own second word the host fills. */
  REALword hostWord;
  REALword reserved[2]; /* not in the level-9 form */
} REALevent;

/* 5 words. */
typedef struct REALconstant {
  const char *declaration; /* "kIOHIDReportTypeInput = 0" */
  REALword reserved[4];    /* not in the level-9 form */
} REALconstant;

/* ---- Table records, level 9 (the first words of the records above) --------- */

/* 10 words. */
typedef struct REALproperty9 {
  REALword group;
  const char *name;
  const char *type;
  REALword flags;
  REALproc getter;
  REALproc setter;
  REALsword param;
  REALword reserved[3];
} REALproperty9;

/* 4 words. */
typedef struct REALmethodDefinition9 {
  REALproc function;
  REALproc setter;
  const char *declaration;
  REALword flags;
} REALmethodDefinition9;

/* 2 words. */
typedef struct REALevent9 {
  const char *declaration;
  REALword hostWord;
} REALevent9;

/* 3 words. */
typedef struct REALconstant9 {
  const char *declaration;
  REALword reserved[2];
} REALconstant9;

/* ---- Class definitions ------------------------------------------------------ */

/* 29 words; a class extension uses the same record. */
typedef struct REALclassDefinition {
  REALword version;                    /*  0: 12 in a static record; the level at registration */
  const char *name;                    /*  1 */
  const char *superName;               /*  2: nil here */
  REALword dataSize;                   /*  3: rounded up to 16 before registration */
  REALword dataOffset;                 /*  4: written by the host: plug-in data offset in each instance */
  REALproc constructor;                /*  5: void (*)(REALobject), may be nil */
  REALproc destructor;                 /*  6: void (*)(REALobject), may be nil */
  REALproperty *properties;            /*  7 */
  REALsword propertyCount;             /*  8 */
  REALmethodDefinition *methods;       /*  9 */
  REALsword methodCount;               /* 10 */
  REALevent *events;                   /* 11 */
  REALsword eventCount;                /* 12 */
  REALword carried[3];                 /* 13..15: carried into the level-9 form */
  REALword dropped[2];                 /* 16, 17: zero in the level-9 form */
  REALconstant *constants;             /* 18 */
  REALsword constantCount;             /* 19 */
  REALword flags;                      /* 20 */
  REALproperty *sharedProperties;      /* 21 */
  REALsword sharedPropertyCount;       /* 22 */
  REALmethodDefinition *sharedMethods; /* 23 */
  REALsword sharedMethodCount;         /* 24 */
  REALword unused[4];                  /* 25..28: not in the level-9 form */
} REALclassDefinition;

/* 25 words: the roles of words 0 to 24 above, tables in their level-9 forms. */
typedef struct REALclassDefinition9 {
  REALword version;
  const char *name;
  const char *superName;
  REALword dataSize;
  REALword dataOffset;
  REALproc constructor;
  REALproc destructor;
  REALproperty9 *properties;
  REALsword propertyCount;
  REALmethodDefinition9 *methods;
  REALsword methodCount;
  REALevent9 *events;
  REALsword eventCount;
  REALword carried[3];
  REALword dropped[2];
  REALconstant9 *constants;
  REALsword constantCount;
  REALword flags;
  REALproperty9 *sharedProperties;
  REALsword sharedPropertyCount;
  REALmethodDefinition9 *sharedMethods;
  REALsword sharedMethodCount;
} REALclassDefinition9;

/* ---- Strings ------------------------------------------------------------------ */

/* The bytes of a host string, filled by PluginGetStringData. */
typedef struct REALstringData {
  const void *data; /* followed by a zero byte */
  REALsword length; /* in bytes */
  REALword encoding;
} REALstringData;

/*
 * A locked string of a host up to version 2013.0 is read in place: word 1 of
 * the string points one byte before the text, word 3 holds its byte length.
 * The text is followed by a zero byte.
 */
enum { REALstringTextWord = 1, REALstringLengthWord = 3 };

/* ---- Folder items --------------------------------------------------------------- */

/* The 70-byte file record that FolderItemFromFSSpec reads and
   REALFSSpecFromFolderItem fills. Its contents are the host's. */
enum { REALFSSpecSize = 70 };
typedef struct REALFSSpec {
  unsigned char bytes[REALFSSpecSize];
} REALFSSpec;

/* ---- The resolver and the entry point ----------------------------------------- */

/* Maps a zero-terminated service name to its entry point, nil for an unknown name. */
typedef REALproc (*REALresolverProc)(const char *serviceName);

/* The one export of a plug-in file; the host calls it once at load. */
#if defined(__GNUC__)
#define REALPLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define REALPLUGIN_EXPORT
#endif
REALPLUGIN_EXPORT void REALPluginMain(REALresolverProc resolver);
typedef void (*REALPluginMainProc)(REALresolverProc resolver);

/* ---- Host services, by the name the resolver knows them ------------------------ */
/*
 * "New" means one reference that the caller owns. A result of nil or 0 is the
 * failure answer of every service that has one.
 */

/* "RegisterPluginVersion": the interface level (9 to 12) the plug-in speaks. */
typedef void (*RegisterPluginVersionProc)(int32_t level);
/* "REALGetRBVersion": the host version, e.g. 2013.03. */
typedef double (*REALGetRBVersionProc)(void);

/* "PluginRegisterClass", "PluginRegisterClassExtension": the host keeps the
   definition (and writes word 4 and each event record's second word). An
   extension adds its members to the host class it names. */
typedef void (*PluginRegisterClassProc)(REALclassDefinition *definition);
typedef void (*PluginRegisterClassExtensionProc)(REALclassDefinition *definition);
/* "PluginRegisterMethod": a global method; the host keeps the record. */
typedef void (*PluginRegisterMethodProc)(REALmethodDefinition *method);

/* "REALinRuntime": true while the application runs. */
typedef REALboolean (*REALinRuntimeProc)(void);

/* "GetEventInstance": the handler that the instance's class gives the event
   whose host word is passed, or nil. The handler is called with the instance
   first, then the event's arguments, and returns once the event has run. */
typedef REALproc (*GetEventInstanceProc)(REALobject instance, REALword eventHostWord);

/* "PluginNewInstance": a new object of the named class, or nil. */
typedef REALobject (*PluginNewInstanceProc)(const char *className);
/* "REALSetPropValueString", "REALSetPropValueInt": set a property by name. */
typedef void (*REALSetPropValueStringProc)(REALobject object, const char *propertyName, REALstring value);
typedef void (*REALSetPropValueIntProc)(REALobject object, const char *propertyName, int32_t value);

/* "RuntimeRaiseException": raises the exception in the caller of the plug-in
   member once the member returns. It returns; the plug-in then drops its
   reference to the exception. */
typedef void (*RuntimeRaiseExceptionProc)(REALobject exception);

/* "REALBuildString": a new string holding a copy of the bytes, or nil. */
typedef REALstring (*REALBuildStringProc)(const void *bytes, int32_t length);
/* "REALSetStringEncoding", "REALGetStringEncoding". */
typedef void (*REALSetStringEncodingProc)(REALstring string, uint32_t encoding);
typedef uint32_t (*REALGetStringEncodingProc)(REALstring string);
/* "REALConvertString": a new string with the text in that encoding, or nil. */
typedef REALstring (*REALConvertStringProc)(REALstring string, uint32_t encoding);

/* "REALLockString", "REALUnlockString", "REALLockObject", "REALUnlockObject":
   add or drop one reference. Nil is ignored. */
typedef void (*REALLockStringProc)(REALstring string);
typedef void (*REALUnlockStringProc)(REALstring string);
typedef void (*REALLockObjectProc)(REALobject object);
typedef void (*REALUnlockObjectProc)(REALobject object);

/* "PluginGetStringData": true with the record filled with the string's bytes in
   the asked encoding (REALEncodingUnknown: as stored); "PluginDisposeStringData"
   releases what the record holds. */
typedef REALboolean (*PluginGetStringDataProc)(REALstring string, uint32_t encoding, REALstringData *out);
typedef void (*PluginDisposeStringDataProc)(REALstringData *data);
/* "StringGetCString": the string's bytes, zero-terminated, valid while the
   string lives; nil for nil. */
typedef const char *(*StringGetCStringProc)(REALstring string);
/* "REALLoadGlobalMethod": a global method of the host by its declaration text,
   or nil. "LenB( s as string ) as integer" is int32_t (*)(REALstring);
   "System.DebugLog( message as string )", one line to the system's debug log,
   is void (*)(REALstring). */
typedef REALproc (*REALLoadGlobalMethodProc)(const char *declaration);
typedef int32_t (*REALLenBProc)(REALstring string);
typedef void (*REALDebugLogProc)(REALstring message);

/* "newMemoryBlock": a new block of size bytes, or nil; contents not relied on. */
typedef REALmemoryBlock (*newMemoryBlockProc)(int32_t size);
/* "memoryBlockGetPtr": the first byte, or nil. */
typedef void *(*memoryBlockGetPtrProc)(REALmemoryBlock block);
/* "memoryBlockGetSize": the size in bytes; 0 or less for a block of unknown size. */
typedef int32_t (*memoryBlockGetSizeProc)(REALmemoryBlock block);
/* "PtrToMemoryBlock": a new block over that memory, neither copied nor owned. */
typedef REALmemoryBlock (*PtrToMemoryBlockProc)(void *address);

/* "FolderItemFromFSSpec": a new folder item for the record, or nil. */
typedef REALfolderItem (*FolderItemFromFSSpecProc)(const REALFSSpec *spec);
/* "REALFSSpecFromFolderItem": fills the 70 bytes; false when it cannot. */
typedef REALboolean (*REALFSSpecFromFolderItemProc)(REALFSSpec *spec, REALfolderItem item);

/* ---- Host services of this host for the outside plug-in ---------------------- */

/* "PluginFolderItemPath": a new UTF-8 string with the item's native path, or nil. */
typedef REALstring (*PluginFolderItemPathProc)(REALfolderItem item);
/* "PluginNewPicture": a new white picture of width x height pixels, and in
   *pixels its pixels for the plug-in to fill: row by row from the top left,
   one 0xFFRRGGBB word each, valid while the picture lives. Nil, and *pixels
   nil, when the picture cannot be had. */
typedef REALobject (*PluginNewPictureProc)(int32_t width, int32_t height, uint32_t **pixels);

/* ---- Word counts ------------------------------------------------------------- */

#ifdef __cplusplus
#define REAL_STATIC_ASSERT(cond, text) static_assert(cond, text)
#else
#define REAL_STATIC_ASSERT(cond, text) _Static_assert(cond, text)
#endif
#define REAL_WORDS(type) (sizeof(type) / sizeof(REALword))
REAL_STATIC_ASSERT(sizeof(REALproc) == sizeof(REALword), "entry points are one word");
REAL_STATIC_ASSERT(sizeof(REALclassDefinition) == 29 * sizeof(REALword), "class definition: 29 words");
REAL_STATIC_ASSERT(sizeof(REALclassDefinition9) == 25 * sizeof(REALword), "level-9 class definition: 25 words");
REAL_STATIC_ASSERT(sizeof(REALproperty) == 12 * sizeof(REALword), "property: 12 words");
REAL_STATIC_ASSERT(sizeof(REALproperty9) == 10 * sizeof(REALword), "level-9 property: 10 words");
REAL_STATIC_ASSERT(sizeof(REALmethodDefinition) == 6 * sizeof(REALword), "method: 6 words");
REAL_STATIC_ASSERT(sizeof(REALmethodDefinition9) == 4 * sizeof(REALword), "level-9 method: 4 words");
REAL_STATIC_ASSERT(sizeof(REALevent) == 4 * sizeof(REALword), "event: 4 words");
REAL_STATIC_ASSERT(sizeof(REALevent9) == 2 * sizeof(REALword), "level-9 event: 2 words");
REAL_STATIC_ASSERT(sizeof(REALconstant) == 5 * sizeof(REALword), "constant: 5 words");
REAL_STATIC_ASSERT(sizeof(REALconstant9) == 3 * sizeof(REALword), "level-9 constant: 3 words");
REAL_STATIC_ASSERT(sizeof(REALFSSpec) == 70, "file record: 70 bytes");

#ifdef __cplusplus
}
#endif
