#ifndef BASE_WIN_DISPLAY_METRICS_H_
#define BASE_WIN_DISPLAY_METRICS_H_

#include <windows.h>

// The display scale the system draws |window| at, in dots per inch; the scale of the window's
// monitor when windows have none of their own (before Windows 10 1607), 96 when nothing can
// be read.
int DpiOfWindow(HWND window);

// The display scale of |monitor|, in dots per inch; the system's scale where monitors have
// none of their own (before Windows 8.1, or without per-monitor awareness).
int DpiOfMonitor(HMONITOR monitor);

// The work area of the monitor nearest to |bounds| (screen coordinates); the primary
// monitor's when monitors cannot be asked.
RECT WorkAreaNearest(const RECT& bounds);

#endif  // BASE_WIN_DISPLAY_METRICS_H_
