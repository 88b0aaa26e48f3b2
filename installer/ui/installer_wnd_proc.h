#ifndef INSTALLER_UI_INSTALLER_WND_PROC_H_
#define INSTALLER_UI_INSTALLER_WND_PROC_H_

#include <windows.h>

#include <functional>
#include <memory>

#include "installer/ui/x_root_view.h"

// Posted to the installer window when a setup ends; wParam carries the result code, lParam
// is unused. Any process may post it.
inline constexpr UINT XWM_SETUP_DONE = WM_USER + 101;

// Builds the root view when the window is created. Set once before the window exists.
using RootViewFactory = std::function<std::unique_ptr<XRootView>()>;
void SetRootViewFactory(RootViewFactory factory);

// The module whose resources the views load. Set before the window is created.
void SetInstallerModule(HINSTANCE module);

// The display scale the window is created at (its size already scaled); 96 DPI unless set.
// Set before the window is created; WM_DPICHANGED changes it afterwards.
void SetWindowScale(DisplayScale scale);

// The root view, or null before WM_CREATE. It lives until the process ends: it is never
// deleted, so an install worker it owns is not joined at exit. Window thread.
XRootView* GetRootView();

// The exit code that WM_DESTROY posts with the quit message; 0 unless changed. Window thread.
void SetQuitCode(int code);

// Forgets the root view (without deleting it) so that the next window built with
// InstallerWndProc gets a new one; for tests that create several windows in one process.
void ForgetRootViewForTesting();

// The window procedure of the installer window class: paints the view tree through the back
// buffer, answers hit tests (the bare background drags the window), dispatches the mouse and
// the keys, forwards edit-change notifications and XWM_SETUP_DONE to the root, answers
// screen readers, and follows the window to a monitor of another display scale.
LRESULT CALLBACK InstallerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif  // INSTALLER_UI_INSTALLER_WND_PROC_H_
