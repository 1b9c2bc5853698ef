#pragma once
// The outside plug-in QVXOutside. It registers:
//
//   class JPEGImporterQVX
//     File as FolderItem            the picture file (read and assigned)
//     ReadMarkers as Boolean        read the file's markers on Import
//     ReadProfileData as Boolean    and, with ReadMarkers, its profile data
//     Import                        reads the file
//     ProfileData as String         the embedded ICC profile: the bytes of the
//                                   APP2 "ICC_PROFILE" chunks joined in
//                                   sequence order; empty when there are none
//                                   or they were not read
//     Picture as Picture            the decoded picture; nil when there is none
//   StringXORQVX(data as string, XorMask as string, MaskOffset as integer = 0) as string
//   EncodingToHexQVX(data as string) as string
//   DecodingFromHexQVX(hex as string) as string
//
// Import never raises: a missing or unreadable file, or one that is no JPEG,
// leaves ProfileData empty and Picture nil; a picture that cannot be decoded,
// or needs more memory than a logo ever does, leaves Picture nil. Whenever
// the profile asked for or the picture does not come, Import writes one line
// to the host's debug log that names the file and says why.

#include "plugin_interface.h"

namespace outside {

void RegisterJPEGImporter();
void RegisterStringFunctions();

}  // namespace outside
