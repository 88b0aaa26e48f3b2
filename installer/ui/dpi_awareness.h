#ifndef INSTALLER_UI_DPI_AWARENESS_H_
#define INSTALLER_UI_DPI_AWARENESS_H_

#include <windows.h>

// Declares the process aware of each monitor's display scale: per-monitor v2 where the
// system has it, else per-monitor v1, else aware of the system scale alone (Wine 8 refuses
// v2). Call before any window exists. Every function is looked up at run time, so the
// program still starts on systems older than the function.
void DeclarePerMonitorDpiAwareness();

// The display scale the system draws |window| at, in dots per inch; the system's scale when
// the window has none of its own (older systems), 96 when nothing can be read.
int DpiOfWindow(HWND window);

// The system's display scale, in dots per inch.
int SystemDpi();

// The work area of the monitor holding most of |window|, or of the primary monitor for
// a null window.
RECT WorkAreaOf(HWND window);

#endif  // INSTALLER_UI_DPI_AWARENESS_H_
