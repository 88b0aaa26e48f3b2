#include "updater/updater_window.h"

#include <atomic>

#include "base/win/debug_output.h"
#include "base/win/scoped_handle.h"
#include "updater/browser_updater.h"
#include "updater/client_windows.h"
#include "updater/update_messages.h"

namespace {

std::unique_ptr<BrowserUpdater> g_updater;
std::atomic<HWND> g_updaterWindow{nullptr};
UniqueHandle g_watchEvent;
bool g_runEnded = false;

// The messages that end the run, whoever posts them.
constexpr UINT kStopMessages[] = {UWM_NO_UPDATE, UWM_VERIFY_FAILED, UWM_INSTALLER_LAUNCHED,
                                  UWM_UPDATE_FAILED, WM_CLOSE};

// Where a message table row says that the updater stops.
void StopUpdater() {
  if (g_updater)
    g_updater->Stop();
  g_runEnded = true;
  ::PostQuitMessage(0);
}

// Whether the updater is in the state that sends |message| to its own window.
bool MatchesState(UINT message) {
  const UpdaterState state = g_updater->GetState();
  switch (message) {
    case UWM_UPDATE_AVAILABLE:
      return (state == kCheckDone && g_updater->IsUpdateOffered()) || state == kRetryDownload;
    case UWM_DOWNLOAD_COMPLETE:
      return state == kDownloaded;
    default:
      return false;
  }
}

// The messages that start work come back to the updater's own window as posted reports, and
// any process can post a copy of one: each is acted on only in the state that reports it, so
// a copy never starts a second download or a launch.
bool IsCurrentReport(UINT message) {
  if (g_updater && MatchesState(message))
    return true;
  WriteDebugLineF("Ignoring updater message %u that does not match the state.\n", message);
  return false;
}

}  // namespace

BrowserUpdater* GetBrowserUpdater() {
  return g_updater.get();
}

void SetBrowserUpdater(std::unique_ptr<BrowserUpdater> updater) {
  g_updater = std::move(updater);
}

HWND GetUpdaterWindow() {
  return g_updaterWindow.load();
}

void SetUpdaterWindow(HWND window) {
  g_updaterWindow.store(window);
}

HANDLE GetWatchEvent() {
  if (!g_watchEvent)
    g_watchEvent.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  return g_watchEvent.get();
}

void RequestWatch() {
  if (g_watchEvent)
    ::SetEvent(g_watchEvent.get());
}

bool HasRunEnded() {
  return g_runEnded;
}

bool IsStopQueued() {
  MSG message;
  for (const UINT stop : kStopMessages) {
    if (::PeekMessageW(&message, GetUpdaterWindow(), stop, stop, PM_NOREMOVE | PM_NOYIELD))
      return true;
  }
  return false;
}

uint32_t WatchDeadlines() {
  // With nothing to watch, a look now and then costs nothing and needs no special case.
  uint32_t nextLookMs = 60000;
  if (g_updater && !g_updater->EnforceDeadlines(&nextLookMs))
    StopUpdater();
  return nextLookMs;
}

bool HandleUpdaterMessage(UINT offset, HWND window, LPARAM lParam) {
  switch (offset) {
    case UWM_REGISTER_CLIENT - kUpdaterMessageFirst:
      RegisterClientWindow(window, static_cast<uint32_t>(lParam),
                           {GetUpdaterWindow(), g_updater.get()});
      return true;
    case UWM_UNREGISTER_CLIENT - kUpdaterMessageFirst:
      UnregisterClientWindow(window);
      return true;
    case UWM_NO_UPDATE - kUpdaterMessageFirst:
    case UWM_VERIFY_FAILED - kUpdaterMessageFirst:
    case UWM_INSTALLER_LAUNCHED - kUpdaterMessageFirst:
    case UWM_UPDATE_FAILED - kUpdaterMessageFirst:
      // From itself or from any other window: this is how the browser stops a run.
      StopUpdater();
      return true;
    case UWM_UPDATE_AVAILABLE - kUpdaterMessageFirst:
      if (IsCurrentReport(UWM_UPDATE_AVAILABLE))
        g_updater->DownloadPackage();
      return true;
    case UWM_DOWNLOAD_COMPLETE - kUpdaterMessageFirst:
      if (IsCurrentReport(UWM_DOWNLOAD_COMPLETE))
        g_updater->LaunchPackage();
      return true;
    case UWM_PING - kUpdaterMessageFirst:
      if (window)
        ::PostMessageW(window, UWM_PING_REPLY, 0, 0);
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK UpdaterWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_DESTROY:
      // The destructor closes the transfer handles and waits out callbacks in flight.
      g_updater.reset();
      g_runEnded = true;
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  if (message >= kUpdaterMessageFirst && message <= kUpdaterMessageLast) {
    if (HandleUpdaterMessage(message - kUpdaterMessageFirst, reinterpret_cast<HWND>(wParam),
                             lParam)) {
      return 0;
    }
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}
