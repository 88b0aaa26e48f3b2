#ifndef INSTALLER_UI_PNG_PICTURE_H_
#define INSTALLER_UI_PNG_PICTURE_H_

#include <windows.h>

#include "installer/ui/gdi_handles.h"

// The resource type of the installer's pictures: PNG files, byte for byte.
inline constexpr wchar_t kPngResourceType[] = L"PNG";
// The resource type of a page picture for a larger scale stored as its difference from the
// 100 % picture (picture_residual.h), a PNG file too.
inline constexpr wchar_t kResidualResourceType[] = L"PNGRESIDUAL";

// Whether |instance| holds the resource |id| of |type|.
bool HasPngResource(HINSTANCE instance, int id, const wchar_t* type = kPngResourceType);

// The PNG resource |id| of |type| in |instance| as a 24-bit top-down DIB section, decoded
// by the platform's imaging component (activated through COM; the library is never
// linked). Empty, with a debug line, when the resource is missing or cannot be decoded.
// Counted by GdiObjectsCreated. Any thread that may use COM.
UniqueBitmap DecodePngResource(HINSTANCE instance, int id, const wchar_t* type = kPngResourceType);

#endif  // INSTALLER_UI_PNG_PICTURE_H_
