#ifndef INSTALLER_UI_PNG_PICTURE_H_
#define INSTALLER_UI_PNG_PICTURE_H_

#include <windows.h>

#include "installer/ui/gdi_handles.h"

// The resource type of the installer's pictures: PNG files, byte for byte.
inline constexpr wchar_t kPngResourceType[] = L"PNG";

// Whether |instance| holds the PNG resource |id|.
bool HasPngResource(HINSTANCE instance, int id);

// The PNG resource |id| of |instance| as a 24-bit bottom-up DIB section, decoded by the
// platform's imaging component (activated through COM; the library is never linked).
// Empty, with a debug line, when the resource is missing or cannot be decoded. Counted by
// GdiObjectsCreated. Any thread that may use COM.
UniqueBitmap DecodePngResource(HINSTANCE instance, int id);

#endif  // INSTALLER_UI_PNG_PICTURE_H_
