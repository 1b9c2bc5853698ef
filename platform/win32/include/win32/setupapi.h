/*
 * Our stand-in for the SetupAPI calls that walk the HID device interfaces:
 * a device-information set is a snapshot of the HID bus at the time it is
 * made. Plain C.
 *
 * A device's interface path is "\\?\hid#vid_VVVV&pid_PPPP#" followed by its
 * path on the HID bus and "#{4d1e55b2-f16f-11cf-88cb-001111000030}".
 */
#pragma once

#include "win32/kernel32.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef HANDLE HDEVINFO;

enum { DIGCF_PRESENT = 0x02, DIGCF_DEVICEINTERFACE = 0x10 };
enum { SPINT_ACTIVE = 0x1 };

typedef struct SP_DEVICE_INTERFACE_DATA {
  DWORD cbSize; /* sizeof (28 bytes on a 32-bit build) */
  GUID InterfaceClassGuid;
  DWORD Flags;
  ULONG_PTR Reserved;
} SP_DEVICE_INTERFACE_DATA, *PSP_DEVICE_INTERFACE_DATA;

/* A size word and the zero-terminated path, packed: its size word is 6. */
#pragma pack(push, 1)
typedef struct SP_DEVICE_INTERFACE_DETAIL_DATA_W {
  DWORD cbSize;
  WCHAR DevicePath[1];
} SP_DEVICE_INTERFACE_DETAIL_DATA_W, *PSP_DEVICE_INTERFACE_DETAIL_DATA_W;
#pragma pack(pop)

typedef struct SP_DEVINFO_DATA SP_DEVINFO_DATA, *PSP_DEVINFO_DATA; /* always nil here */

/* A set of the interfaces of the class that are present (the HID class: every
   device on the bus; any other class: none). Flags must include
   DIGCF_DEVICEINTERFACE (else ERROR_INVALID_FLAGS); enumerator and window must
   be nil (else ERROR_INVALID_PARAMETER). INVALID_HANDLE_VALUE on failure. */
WIN32_API HDEVINFO SetupDiGetClassDevsW(const GUID *classGuid, PCWSTR enumerator, HWND parent, DWORD flags);

/* Interface number `index` of the set. FALSE with ERROR_NO_MORE_ITEMS past the
   last one or for another class, ERROR_INVALID_USER_BUFFER when cbSize is not
   sizeof(SP_DEVICE_INTERFACE_DATA), ERROR_INVALID_HANDLE for no set,
   ERROR_INVALID_PARAMETER for a device-info record or no class. */
WIN32_API BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA deviceInfo, const GUID *interfaceClassGuid,
                                           DWORD index, PSP_DEVICE_INTERFACE_DATA interfaceData);

/* The interface's path into `detail` of `detailSize` bytes; *requiredSize (when
   given) gets the bytes it needs. FALSE with ERROR_INSUFFICIENT_BUFFER when it
   does not fit (nothing written), ERROR_INVALID_USER_BUFFER when detail's
   cbSize is not 6, ERROR_INVALID_PARAMETER for interface data not of this set
   or a device-info record, ERROR_INVALID_HANDLE for no set. */
WIN32_API BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                                PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize,
                                                LPDWORD requiredSize, PSP_DEVINFO_DATA deviceInfo);

WIN32_API BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set);

#ifdef __cplusplus
}
#endif
