/*
 * The functions of our stand-in for hid.dll, as GetProcAddress hands them out
 * of LoadLibraryA("hid.dll"): nothing here is linked directly. Plain C.
 *
 * Report lengths and report framing follow the HID bus: the ID byte counts
 * only for a device that numbers its reports.
 */
#pragma once

#include "win32/kernel32.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct HIDD_ATTRIBUTES {
  ULONG Size; /* sizeof, 12 */
  USHORT VendorID;
  USHORT ProductID;
  USHORT VersionNumber;
} HIDD_ATTRIBUTES, *PHIDD_ATTRIBUTES;

typedef struct HIDP_CAPS {
  USHORT Usage;
  USHORT UsagePage;
  USHORT InputReportByteLength;
  USHORT OutputReportByteLength;
  USHORT FeatureReportByteLength;
  USHORT Reserved[27];
} HIDP_CAPS, *PHIDP_CAPS;

typedef struct HIDP_PREPARSED_DATA *PHIDP_PREPARSED_DATA;
typedef LONG NTSTATUS;

#define HIDP_STATUS_SUCCESS ((NTSTATUS)0x00110000)
#define HIDP_STATUS_INVALID_PREPARSED_DATA ((NTSTATUS)0xC0110001u)

/* The HID interface class {4D1E55B2-F16F-11CF-88CB-001111000030}. */
typedef void (*HidD_GetHidGuidProc)(LPGUID guid);
/* Vendor, product and version of the device a file handle (of any access)
   is open on. FALSE with ERROR_INVALID_HANDLE for anything else. */
typedef BOOLEAN (*HidD_GetAttributesProc)(HANDLE device, PHIDD_ATTRIBUTES attributes);
/* The device's string as UTF-16 into `length` bytes: as many characters as
   fit, zero-terminated when there is room; an empty text for a device without
   that string. FALSE with ERROR_INVALID_HANDLE for no device file,
   ERROR_INVALID_USER_BUFFER for no buffer. */
typedef BOOLEAN (*HidD_GetStringProc)(HANDLE device, LPVOID buffer, ULONG length);
typedef HidD_GetStringProc HidD_GetProductStringProc;
typedef HidD_GetStringProc HidD_GetManufacturerStringProc;
typedef HidD_GetStringProc HidD_GetSerialNumberStringProc;
/* The device's report description, freed with HidD_FreePreparsedData. */
typedef BOOLEAN (*HidD_GetPreparsedDataProc)(HANDLE device, PHIDP_PREPARSED_DATA *data);
typedef BOOLEAN (*HidD_FreePreparsedDataProc)(PHIDP_PREPARSED_DATA data);
/* Usage, usage page and the longest report of each kind. */
typedef NTSTATUS (*HidP_GetCapsProc)(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps);

#ifdef __cplusplus
}
#endif
