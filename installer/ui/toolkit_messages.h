#ifndef INSTALLER_UI_TOOLKIT_MESSAGES_H_
#define INSTALLER_UI_TOOLKIT_MESSAGES_H_

#include <windows.h>

// Private messages of the installer window besides XWM_SETUP_DONE. Both carry a view of the
// window's tree in wParam; the window procedure acts only when that view is one of the
// window's current accessible children, so a stale or foreign value does nothing.

// A screen reader asked for a view's default action. Posted, so that the caller's request
// returns before a message box the action may show.
inline constexpr UINT XWM_ACCESSIBLE_ACTION = WM_USER + 102;
// A view's value changed, possibly on another thread; announced to screen readers.
inline constexpr UINT XWM_VIEW_VALUE_CHANGED = WM_USER + 103;

#endif  // INSTALLER_UI_TOOLKIT_MESSAGES_H_
