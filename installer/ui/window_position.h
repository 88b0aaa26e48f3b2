#ifndef INSTALLER_UI_WINDOW_POSITION_H_
#define INSTALLER_UI_WINDOW_POSITION_H_

#include <windows.h>

struct WindowPlacement {
  int x;
  int y;
  int width;
  int height;
};

// A window of |size| centred in |workArea|, then moved only as much as a window of |tallest|
// size at the same top-left corner needs to lie inside |workArea|: every page of the wizard
// fits where the window starts.
WindowPlacement PlaceInWorkArea(SIZE size, SIZE tallest, const RECT& workArea);

// |topLeft| moved only as much as a window of |size| there needs to lie inside |workArea|;
// the work area's top-left corner for a window larger than the work area.
POINT KeepInside(POINT topLeft, SIZE size, const RECT& workArea);

#endif  // INSTALLER_UI_WINDOW_POSITION_H_
