#include "updater/client_windows.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>

#include "base/decimal_number.h"
#include "base/win/debug_output.h"
#include "updater/browser_updater.h"
#include "updater/update_messages.h"
#include "updater/updater_window.h"

namespace {

// Registrations arrive on the window thread, broadcasts on WinHTTP threads.
std::mutex g_clientsLock;
std::set<HWND> g_clients;
std::atomic<uint32_t> g_lastProgress{0};

void PostIfWindow(HWND window, UINT message, WPARAM wParam) {
  if (window)
    ::PostMessageW(window, message, wParam, 0);
}

}  // namespace

void RegisterClientWindow(HWND window, uint32_t packedVersion) {
  // As its own client the updater would hear its reports twice and act on each twice.
  if (window && window == GetUpdaterWindow()) {
    WriteDebugLine("Refusing to register the updater's own window as a client.\n");
    return;
  }
  {
    std::lock_guard<std::mutex> hold(g_clientsLock);
    g_clients.insert(window);
  }
  PostIfWindow(window, UWM_CLIENT_REGISTERED, 0);

  const BrowserUpdater* updater = GetBrowserUpdater();
  if (!updater)
    return;
  char text[48];
  std::snprintf(text, sizeof(text), "%d.%d.%d.%d", static_cast<int>(packedVersion >> 24),
                static_cast<int>((packedVersion >> 16) & 0xFF),
                static_cast<int>((packedVersion >> 8) & 0xFF),
                static_cast<int>(packedVersion & 0xFF));
  if (updater->IsClientUpToDate(Version(text)))
    PostIfWindow(window, UWM_NO_UPDATE, 0);
  else if (updater->GetState() == kDownloading)
    PostIfWindow(window, UWM_DOWNLOAD_PROGRESS, GetLastProgress());
}

void UnregisterClientWindow(HWND window) {
  std::lock_guard<std::mutex> hold(g_clientsLock);
  g_clients.erase(window);
}

void BroadcastToClients(UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::mutex> hold(g_clientsLock);
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

void RegisterClientFromCommandLine(std::string_view clientText, std::string_view versionText) {
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
    RegisterClientWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(number)), packedVersion);
}

uint32_t PackClientVersion(const Version& version) {
  const std::vector<uint32_t>& parts = version.GetComponents();
  uint32_t packed = 0;
  for (size_t i = 0; i < 4; ++i) {
    const uint32_t component = i < parts.size() ? parts[i] : 0;
    packed = i == 0 ? component : (packed << 8) | component;
  }
  return packed;
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
  std::lock_guard<std::mutex> hold(g_clientsLock);
  g_clients.clear();
  g_lastProgress.store(0);
}
