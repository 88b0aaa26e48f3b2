#include "updater/message_loop.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "updater/updater_window.h"

namespace {

// Dispatches queued messages until the queue is empty, the run ends, a look is asked for, or
// |lookDueAt| comes. Returns true when a look was asked for.
bool DispatchUntilLookIsDue(HANDLE lookRequested, uint64_t lookDueAt) {
  MSG message;
  while (!HasRunEnded() && ::GetTickCount64() < lookDueAt) {
    // Auto-reset: seen here, the request is taken, and the caller looks at once.
    if (lookRequested && ::WaitForSingleObject(lookRequested, 0) == WAIT_OBJECT_0)
      return true;
    if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      return false;
    if (message.message == WM_QUIT)
      return false;  // only ever posted together with the run's end
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return false;
}

}  // namespace

int RunMessageLoop() {
  const HANDLE lookRequested = GetWatchEvent();
  uint64_t lookDueAt = 0;
  while (!HasRunEnded()) {
    const uint64_t now = ::GetTickCount64();
    if (now >= lookDueAt) {
      lookDueAt = now + WatchDeadlines();
      continue;
    }
    const DWORD waitMs = static_cast<DWORD>(std::min<uint64_t>(lookDueAt - now, INFINITE - 1));
    // Without the event (it could not be made) the deadlines are still looked at on time.
    const DWORD events = lookRequested ? 1 : 0;
    const DWORD wake = ::MsgWaitForMultipleObjectsEx(events, &lookRequested, waitMs, QS_ALLINPUT,
                                                     MWMO_INPUTAVAILABLE);
    if ((events && wake == WAIT_OBJECT_0) ||
        (wake == WAIT_OBJECT_0 + events && DispatchUntilLookIsDue(lookRequested, lookDueAt))) {
      lookDueAt = 0;
    }
  }
  return 0;
}
