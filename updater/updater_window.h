#ifndef UPDATER_UPDATER_WINDOW_H_
#define UPDATER_UPDATER_WINDOW_H_

#include <windows.h>

#include <memory>

class BrowserUpdater;

// The hidden updater window and the process-wide objects it serves. Everything here runs
// on the window thread unless a comment says otherwise.

// The single updater, or null before start-up creates it and after the window is gone.
BrowserUpdater* GetBrowserUpdater();
void SetBrowserUpdater(std::unique_ptr<BrowserUpdater> updater);

// The updater window, null until it is created. Any thread.
HWND GetUpdaterWindow();
void SetUpdaterWindow(HWND window);

// The window procedure of "OrbavintelUpdaterWndClass".
LRESULT CALLBACK UpdaterWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Looks at the run and ends what has gone on too long (a transfer, or a state whose message
// never came), and sets the window's timer for the next look. Start-up calls it once; from
// then on the timer runs until the run ends. Window thread.
void WatchDeadlines();

// The updater's WatchTimer: sets the window's timer to look at the run in |delayMs|.
void ScheduleWatch(uint32_t delayMs);

// Acts on the client-window message WM_USER + 100 + |offset|: a final report from any
// window stops the run; one that starts work only in the state that sends it. Returns whether the
// offset is one of the protocol's.
bool HandleUpdaterMessage(UINT offset, HWND window, LPARAM lParam);

#endif  // UPDATER_UPDATER_WINDOW_H_
