#ifndef INSTALLER_UI_DPI_AWARENESS_H_
#define INSTALLER_UI_DPI_AWARENESS_H_

#include <windows.h>

// Declares the process aware of each monitor's display scale: per-monitor v2 where the
// system has it (Windows 10 1703 on), else per-monitor v1 (Windows 8.1 on, through
// shcore.dll), else aware of the system scale alone (Wine 8 refuses both). Call before any
// window exists. Every function is looked up at run time, so the program still starts on
// systems older than the function.
void DeclarePerMonitorDpiAwareness();

#endif  // INSTALLER_UI_DPI_AWARENESS_H_
