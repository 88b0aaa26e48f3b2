#ifndef INSTALLER_UI_SCALED_PICTURE_H_
#define INSTALLER_UI_SCALED_PICTURE_H_

#include <windows.h>

#include "installer/ui/display_scale.h"
#include "installer/ui/gdi_handles.h"

// The installer's pictures come in sets drawn for 100 %, 125 %, 150 % and 200 %. The set
// for 100 % has the pictures' own ids; each larger set adds its offset to them.
struct PictureSet {
  int dpi;
  int idOffset;
};
inline constexpr PictureSet kPictureSets[] = {{96, 0}, {120, 1000}, {144, 2000}, {192, 3000}};

// The set a scale draws with: its own, else the smallest larger one present in |instance|
// (which the drawing reduces), else the largest present.
PictureSet PictureSetFor(HINSTANCE instance, int id, DisplayScale scale);

// Picture |id| from the set for |scale|, decoded; the 100 % picture when that set's does
// not decode or compose; empty when neither does. The caller stretches it onto the scaled
// rectangle it is drawn into.
UniqueBitmap LoadScaledPicture(HINSTANCE instance, int id, DisplayScale scale);

#endif  // INSTALLER_UI_SCALED_PICTURE_H_
