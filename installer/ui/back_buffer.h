#ifndef INSTALLER_UI_BACK_BUFFER_H_
#define INSTALLER_UI_BACK_BUFFER_H_

#include <windows.h>

// The off-screen frame of the installer window: one memory bitmap of the client size into
// which the whole view tree paints, then copied to the screen in one transfer. Window thread
// only; one per process.

// Makes sure a back buffer of the window's current client size exists (re-created, with a
// debug line, when the size changed) and returns its device context; null when GDI fails.
HDC AcquireBackBuffer(HWND window, HDC paintDc);

// Copies the whole back buffer to |paintDc| at 0, 0; nothing without a back buffer.
void PresentBackBuffer(HDC paintDc);

// Deletes the back buffer; the next Acquire makes a new one.
void ReleaseBackBuffer();

// The size of the current back buffer; 0 × 0 before the first paint.
SIZE GetBackBufferSize();

#endif  // INSTALLER_UI_BACK_BUFFER_H_
