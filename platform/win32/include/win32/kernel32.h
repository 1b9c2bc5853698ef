/*
 * Our stand-in for the KERNEL32 calls the Windows HID plug-in makes: the
 * basic types, handles, the thread's last error, system message texts,
 * device files with overlapped reads, events, threads and run-time loading of
 * libraries. Plain C; the devices behind the files are those of the HID bus.
 *
 * Every function sets the calling thread's last error: 0 on success, the
 * code below on failure, unless its comment says otherwise.
 *
 * Handles are small numbers, never above 0x7FFFFFFF, so a handle survives
 * being kept in a 32-bit field and read back with sign extension; the
 * invalid-handle value stays -1 that way too.
 */
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define WIN32_API __attribute__((visibility("default")))
#else
#define WIN32_API
#endif

typedef int32_t BOOL;
typedef uint8_t BOOLEAN;
typedef uint8_t BYTE;
typedef uint16_t USHORT;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef uint32_t ULONG;
typedef int32_t LONG;
typedef uintptr_t ULONG_PTR;
typedef uint16_t WCHAR; /* one UTF-16 unit */
typedef WCHAR *LPWSTR;
typedef const WCHAR *LPCWSTR;
typedef const WCHAR *PCWSTR;
typedef const char *LPCSTR;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef DWORD *LPDWORD;
typedef void *HANDLE;
typedef HANDLE HMODULE;
typedef HANDLE HWND;
typedef void *HLOCAL;
typedef void (*FARPROC)(void);

#define TRUE 1
#define FALSE 0
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INFINITE 0xFFFFFFFFu

typedef struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} GUID, *LPGUID;

typedef struct SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES; /* always nil here */

/* ---- Error codes ------------------------------------------------------------ */
enum {
  ERROR_SUCCESS = 0,
  ERROR_INVALID_FUNCTION = 1,
  ERROR_FILE_NOT_FOUND = 2,
  ERROR_PATH_NOT_FOUND = 3,
  ERROR_ACCESS_DENIED = 5,
  ERROR_INVALID_HANDLE = 6,
  ERROR_NOT_ENOUGH_MEMORY = 8,
  ERROR_GEN_FAILURE = 31,
  ERROR_SHARING_VIOLATION = 32,
  ERROR_NOT_SUPPORTED = 50,
  ERROR_INVALID_PARAMETER = 87,
  ERROR_SEM_TIMEOUT = 121,
  ERROR_INSUFFICIENT_BUFFER = 122,
  ERROR_MOD_NOT_FOUND = 126,
  ERROR_PROC_NOT_FOUND = 127,
  ERROR_NO_MORE_ITEMS = 259,
  ERROR_MR_MID_NOT_FOUND = 317,
  ERROR_OPERATION_ABORTED = 995,
  ERROR_IO_INCOMPLETE = 996,
  ERROR_IO_PENDING = 997,
  ERROR_NOACCESS = 998,
  ERROR_INVALID_FLAGS = 1004,
  ERROR_DEVICE_NOT_CONNECTED = 1167,
  ERROR_INVALID_USER_BUFFER = 1784
};

WIN32_API DWORD GetLastError(void);
WIN32_API void SetLastError(DWORD code);

/* ---- System message texts -------------------------------------------------- */
enum {
  FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100,
  FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200,
  FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000
};

/* The system's text for an error code (FORMAT_MESSAGE_FROM_SYSTEM only; source,
   language and arguments are not looked at), ending in CR LF. With
   FORMAT_MESSAGE_ALLOCATE_BUFFER, `buffer` is taken as an LPWSTR* and receives a
   block of at least `size` characters that the caller frees with LocalFree;
   otherwise the text goes into `buffer` of `size` characters. Returns the
   characters written without the terminating zero; 0 for a code with no text
   (ERROR_MR_MID_NOT_FOUND) or a buffer too small (ERROR_INSUFFICIENT_BUFFER). */
WIN32_API DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                               DWORD size, void *arguments);
/* Frees a block FormatMessageW allocated; nil is ignored. Returns nil. */
WIN32_API HLOCAL LocalFree(HLOCAL block);

/* ---- Handles, waits, events, threads --------------------------------------- */
enum { WAIT_OBJECT_0 = 0, WAIT_TIMEOUT = 0x102, WAIT_FAILED = 0xFFFFFFFFu };

/* Closes a file, event or thread handle. A thread goes on running; the other
   holders of an object keep it. FALSE with ERROR_INVALID_HANDLE otherwise. */
WIN32_API BOOL CloseHandle(HANDLE handle);

/* Waits up to `milliseconds` (INFINITE: no bound; 0: only looks) for an event
   to be signalled, a thread to end, or a file's overlapped read to complete
   (a file is signalled once its latest read has completed or been
   cancelled). WAIT_OBJECT_0, WAIT_TIMEOUT, or WAIT_FAILED with
   ERROR_INVALID_HANDLE. An automatic-reset event is reset by the wait that
   sees it. */
WIN32_API DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

/* An event, manual-reset or automatic, signalled or not at first; the name
   must be nil. Nil on failure. */
WIN32_API HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
WIN32_API BOOL SetEvent(HANDLE event);
WIN32_API BOOL ResetEvent(HANDLE event);

typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID parameter);
/* A thread running routine(parameter) at once (flags must be 0; the stack size
   is not looked at); its id goes to *threadId when given. The handle is
   signalled when the routine has returned. Nil on failure. There is no way
   to end a thread from outside: it ends by returning. */
WIN32_API HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, size_t stackSize, LPTHREAD_START_ROUTINE routine,
                              LPVOID parameter, DWORD flags, LPDWORD threadId);
/* Pauses the calling thread; leaves the last error alone. */
WIN32_API void Sleep(DWORD milliseconds);

/* ---- Device files ----------------------------------------------------------- */
enum {
  GENERIC_READ = 0x80000000u,
  GENERIC_WRITE = 0x40000000u,
  MAXIMUM_ALLOWED = 0x02000000u,
  FILE_SHARE_READ = 0x1,
  FILE_SHARE_WRITE = 0x2,
  OPEN_EXISTING = 3,
  FILE_FLAG_OVERLAPPED = 0x40000000u
};

typedef struct OVERLAPPED {
  ULONG_PTR Internal;     /* the outcome, kept by the system */
  ULONG_PTR InternalHigh; /* bytes transferred, kept by the system */
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent; /* must be nil: completion signals the file */
} OVERLAPPED, *LPOVERLAPPED;

/* Opens a HID device by its interface path (SetupDiGetDeviceInterfaceDetailW).
   Only OPEN_EXISTING; the share mode is not looked at, so any number of
   handles may be open on one device. With GENERIC_READ, GENERIC_WRITE or
   MAXIMUM_ALLOWED the device's report channel is opened (shared by every
   handle of the process on that device); MAXIMUM_ALLOWED settles for access 0
   when the channel is refused. Access 0 opens for identity queries only.
   INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND for a path of no device
   present, ERROR_ACCESS_DENIED when the channel is refused,
   ERROR_INVALID_PARAMETER for another disposition. */
WIN32_API HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                             DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);

/* Writes one output report and returns when the device has it, within 5 s
   (else ERROR_SEM_TIMEOUT). For a device without report IDs the bytes are the
   report; otherwise the first byte is the report ID. FALSE with
   ERROR_INVALID_HANDLE, ERROR_ACCESS_DENIED (no write access),
   ERROR_INVALID_USER_BUFFER (no bytes), ERROR_DEVICE_NOT_CONNECTED (removed)
   or ERROR_GEN_FAILURE. An OVERLAPPED, when given, is completed at once. */
WIN32_API BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                         LPOVERLAPPED overlapped);

/* Starts an overlapped read of one input report (the handle must be opened
   with FILE_FLAG_OVERLAPPED and GENERIC_READ, the OVERLAPPED given, its event
   nil). A report that is waiting completes the read at once: TRUE with the
   bytes read. Otherwise FALSE with ERROR_IO_PENDING: the read completes
   during a later WaitForSingleObject or GetOverlappedResult on the file, the
   only calls that write into the buffer and the OVERLAPPED, which must stay
   valid until then or until CancelIo. A report longer than the buffer is cut
   to it. For a device with report IDs the first byte read is the ID. Other
   failures: ERROR_INVALID_HANDLE, ERROR_ACCESS_DENIED,
   ERROR_INVALID_PARAMETER, ERROR_INVALID_USER_BUFFER,
   ERROR_DEVICE_NOT_CONNECTED. */
WIN32_API BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED overlapped);

/* The outcome of an overlapped operation, without waiting (wait must be
   FALSE): TRUE with the bytes transferred; FALSE with ERROR_IO_INCOMPLETE
   while it is pending, or with the operation's error. */
WIN32_API BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD bytesTransferred, BOOL wait);

/* Cancels the calling thread's pending reads on the file. When it returns,
   those reads are complete (ERROR_OPERATION_ABORTED) and nothing writes into
   their buffers or OVERLAPPED records any more. */
WIN32_API BOOL CancelIo(HANDLE file);

/* ---- Libraries loaded at run time ------------------------------------------ */
/* The libraries the system has: "hid.dll" (case-insensitive). Nil with
   ERROR_MOD_NOT_FOUND for any other. Loading again gives the same module. */
WIN32_API HMODULE LoadLibraryA(LPCSTR fileName);
/* An export of a loaded library by name; nil with ERROR_PROC_NOT_FOUND. */
WIN32_API FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
/* Libraries stay loaded; TRUE for a loaded one. */
WIN32_API BOOL FreeLibrary(HMODULE module);

#ifdef __cplusplus
}
#endif
