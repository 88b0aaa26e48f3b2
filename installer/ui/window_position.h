#ifndef INSTALLER_UI_WINDOW_POSITION_H_
#define INSTALLER_UI_WINDOW_POSITION_H_

#include <windows.h>

struct WindowPlacement {
  int x;
  int y;
  int width;
  int height;
};

// The position that centres a window of |size| in the work area of the monitor holding the
// screen point (0, 0), or of the primary monitor; width and height are passed through.
WindowPlacement CenterOnPrimaryWorkArea(SIZE size);

#endif  // INSTALLER_UI_WINDOW_POSITION_H_
