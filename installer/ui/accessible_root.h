#ifndef INSTALLER_UI_ACCESSIBLE_ROOT_H_
#define INSTALLER_UI_ACCESSIBLE_ROOT_H_

#include <windows.h>

class XRootView;

// Answers WM_GETOBJECT for OBJID_CLIENT with the IAccessible of the window's client area:
// its children are the root's accessible children, simple elements with child ids from 1,
// each with name, role, state, location, value and default action. Any other object id, or
// a missing accessibility library, gives 0: the caller then passes the message on to
// DefWindowProc. One object per process, made on the first request. Window thread.
LRESULT AnswerAccessibleObjectRequest(HWND window, WPARAM wParam, LPARAM lParam, XRootView* root);

// The window is going: the object answers every later call with CO_E_OBJNOTCONNECTED and
// the next window gets a new one. Window thread, on WM_DESTROY.
void DisconnectAccessibleObject();

#endif  // INSTALLER_UI_ACCESSIBLE_ROOT_H_
