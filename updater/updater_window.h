#ifndef UPDATER_UPDATER_WINDOW_H_
#define UPDATER_UPDATER_WINDOW_H_

#include <windows.h>

#include <cstdint>
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
// never came). Returns the milliseconds until the next look is due. The message loop calls it
// whenever that time comes or a look is asked for. Window thread.
uint32_t WatchDeadlines();

// The updater's WatchRequest: asks the message loop for a look now, by the event it waits on
// beside the queue, which no full queue can lose. Any thread.
void RequestWatch();

// The event RequestWatch sets; made by start-up before the updater exists.
HANDLE GetWatchEvent();

// Whether the run has ended (a final message, a stop by the watch, or the window's end): the
// message loop then returns at once, without waiting for posts still queued. Window thread.
bool HasRunEnded();

// Whether a message that ends the run is waiting in the updater window's queue: work that
// cannot be taken back (a launch, a transfer) is then not started. Window thread.
bool IsStopQueued();

// Acts on the client-window message WM_USER + 100 + |offset|: a final report from any
// window stops the run; one that starts work only in the state that sends it. Returns whether the
// offset is one of the protocol's.
bool HandleUpdaterMessage(UINT offset, HWND window, LPARAM lParam);

#endif  // UPDATER_UPDATER_WINDOW_H_
