#ifndef INSTALLER_UI_DPI_AWARENESS_H_
#define INSTALLER_UI_DPI_AWARENESS_H_

#include <windows.h>

// Declares the process aware of each monitor's display scale: per-monitor v2 where the
// system has it (Windows 10 1703 on), else per-monitor v1 (Windows 8.1 on, through
// shcore.dll), else aware of the system scale alone (Wine 8 refuses both). Call before any
// window exists. Every function is looked up at run time, so the program still starts on
// systems older than the function.
void DeclarePerMonitorDpiAwareness();

// The display scale the system draws |window| at, in dots per inch; the system's scale when
// the window has none of its own (older systems), 96 when nothing can be read.
int DpiOfWindow(HWND window);

// The display scale of |monitor|, in dots per inch; the system's scale where monitors have
// none of their own (before Windows 8.1, or without per-monitor awareness).
int DpiOfMonitor(HMONITOR monitor);

#endif  // INSTALLER_UI_DPI_AWARENESS_H_
