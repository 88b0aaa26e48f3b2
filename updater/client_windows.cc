#include "updater/client_windows.h"

#include <atomic>
#include <mutex>
#include <set>

#include "base/decimal_number.h"
#include "base/win/debug_output.h"
#include "base/win/srw_lock.h"
#include "updater/client_version.h"
#include "updater/browser_updater.h"
#include "updater/update_messages.h"

namespace {

// Registrations arrive on the window thread, broadcasts on WinHTTP threads.
SrwLock g_clientsLock;
std::set<HWND> g_clients;
std::atomic<uint32_t> g_lastProgress{0};

void PostIfWindow(HWND window, UINT message, WPARAM wParam) {
  if (window)
    ::PostMessageW(window, message, wParam, 0);
}

}  // namespace

void RegisterClientWindow(HWND window, uint32_t packedVersion, const RegistrationContext& context) {
  // As its own client the updater would hear its reports twice and act on each twice.
  if (window && window == context.updaterWindow) {
    WriteDebugLine("Refusing to register the updater's own window as a client.\n");
    return;
  }
  {
    std::lock_guard<SrwLock> hold(g_clientsLock);
    g_clients.insert(window);
  }
  PostIfWindow(window, UWM_CLIENT_REGISTERED, 0);

  const BrowserUpdater* updater = context.updater;
  if (!updater)
    return;
  if (updater->IsClientUpToDate(UnpackClientVersion(packedVersion)))
    PostIfWindow(window, UWM_NO_UPDATE, 0);
  else if (updater->GetState() == kDownloading)
    PostIfWindow(window, UWM_DOWNLOAD_PROGRESS, GetLastProgress());
}

void UnregisterClientWindow(HWND window) {
  std::lock_guard<SrwLock> hold(g_clientsLock);
  g_clients.erase(window);
}

void BroadcastToClients(UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<SrwLock> hold(g_clientsLock);
  for (auto it = g_clients.begin(); it != g_clients.end();) {
    if (*it && ::PostMessageW(*it, message, wParam, lParam))
      ++it;
    else
      it = g_clients.erase(it);
  }
}

bool ParseClientWindowNumber(std::string_view text, uint32_t* number) {
  // One leading "+" is allowed; no other sign, and no space.
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  uint64_t value = 0;
  if (!ParseDecimalDigits(text, UINT32_MAX, &value))
    return false;
  *number = static_cast<uint32_t>(value);
  return true;
}

void RegisterClientFromCommandLine(std::string_view clientText,
                                   std::string_view versionText,
                                   const RegistrationContext& context) {
  uint32_t number = 0;
  if (clientText.empty() || !ParseClientWindowNumber(clientText, &number))
    return;
  uint32_t packedVersion = 0;
  if (!versionText.empty()) {
    const Version version(versionText);
    if (version.IsValid())
      packedVersion = PackClientVersion(version);
  }
  if (number != 0)
    RegisterClientWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(number)), packedVersion,
                         context);
}

uint32_t GetLastProgress() {
  return g_lastProgress.load();
}

void SetLastProgress(uint32_t percent) {
  g_lastProgress.store(percent);
}

bool ExchangeLastProgress(uint32_t percent) {
  return g_lastProgress.exchange(percent) != percent;
}

void ResetClientWindowsForTesting() {
  std::lock_guard<SrwLock> hold(g_clientsLock);
  g_clients.clear();
  g_lastProgress.store(0);
}
