#ifndef INSTALLER_UI_POSTED_MESSAGE_FILTER_H_
#define INSTALLER_UI_POSTED_MESSAGE_FILTER_H_

#include <windows.h>

#include "base/win/scoped_handle.h"

// Drops WM_DPICHANGED when it was posted to a window of the thread. The system sends that
// message, with lParam pointing at a rectangle in this process; a posted one comes from some
// other program, and its lParam is a number that must never be read as a pointer. The filter
// sees every message the thread's loops take from the queue: the main loop's, a message
// box's and the folder picker's. Create it on the window thread; it works until destroyed.
class PostedDpiChangeFilter {
 public:
  PostedDpiChangeFilter();
  PostedDpiChangeFilter(const PostedDpiChangeFilter&) = delete;
  PostedDpiChangeFilter& operator=(const PostedDpiChangeFilter&) = delete;

 private:
  UniqueAny<HHOOK, ::UnhookWindowsHookEx> hook;
};

#endif  // INSTALLER_UI_POSTED_MESSAGE_FILTER_H_
