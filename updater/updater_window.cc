#include "updater/updater_window.h"

#include <atomic>

#include "updater/browser_updater.h"
#include "updater/client_windows.h"
#include "updater/update_messages.h"

namespace {

std::unique_ptr<BrowserUpdater> g_updater;
std::atomic<HWND> g_updaterWindow{nullptr};

// Where a message table row says that the updater stops.
void StopUpdater() {
  if (g_updater)
    g_updater->CancelRequest();
  ::PostQuitMessage(0);
}

}  // namespace

BrowserUpdater* GetUpdaterInstance() {
  return g_updater.get();
}

void SetUpdaterInstance(std::unique_ptr<BrowserUpdater> updater) {
  g_updater = std::move(updater);
}

HWND GetUpdaterWindow() {
  return g_updaterWindow.load();
}

void SetUpdaterWindow(HWND window) {
  g_updaterWindow.store(window);
}

bool HandleUpdaterMessage(UINT offset, HWND window, LPARAM lParam) {
  switch (offset) {
    case UWM_REGISTER_CLIENT - kUpdaterMessageFirst:
      RegisterClientWindow(window, static_cast<uint32_t>(lParam));
      return true;
    case UWM_UNREGISTER_CLIENT - kUpdaterMessageFirst:
      UnregisterClientWindow(window);
      return true;
    case UWM_NO_UPDATE - kUpdaterMessageFirst:
    case UWM_VERIFY_FAILED - kUpdaterMessageFirst:
    case UWM_INSTALLER_LAUNCHED - kUpdaterMessageFirst:
    case UWM_UPDATE_FAILED - kUpdaterMessageFirst:
      StopUpdater();
      return true;
    case UWM_UPDATE_AVAILABLE - kUpdaterMessageFirst:
      if (g_updater)
        g_updater->DownloadPackage();
      return true;
    case UWM_DOWNLOAD_COMPLETE - kUpdaterMessageFirst:
      if (g_updater)
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
