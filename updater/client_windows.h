#ifndef UPDATER_CLIENT_WINDOWS_H_
#define UPDATER_CLIENT_WINDOWS_H_

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "base/version.h"

// The browser windows (of other processes) that follow the update. The list is kept in
// ascending handle order without duplicates and may be used from any thread.

class BrowserUpdater;

// What registration needs to know of the updater: its own window, which is never a client,
// and the updater itself (null before it exists), which says where the run stands.
struct RegistrationContext {
  HWND updaterWindow = nullptr;
  const BrowserUpdater* updater = nullptr;
};

// Adds |window|, acknowledges with UWM_CLIENT_REGISTERED and, once the updater exists,
// tells the window at once when it is up to date or how far a download has come. The
// updater's own window is refused. Window thread.
void RegisterClientWindow(HWND window, uint32_t packedVersion, const RegistrationContext& context);

// Removes |window| when listed. Window thread.
void UnregisterClientWindow(HWND window);

// Posts |message| to every listed window; a window that cannot take the post (closed, or
// null) is dropped from the list. Any thread.
void BroadcastToClients(UINT message, WPARAM wParam, LPARAM lParam);

// Registers the window named by the "client" switch: an unsigned 32-bit decimal number
// with an optional leading "+". |versionText| gives its packed version (0 when invalid).
void RegisterClientFromCommandLine(std::string_view clientText,
                                   std::string_view versionText,
                                   const RegistrationContext& context);

// Parses the "client" switch's number; false on anything but [+]digits up to 2^32 - 1.
bool ParseClientWindowNumber(std::string_view text, uint32_t* number);

// The percentage last broadcast; 0 at start and again when a check begins.
uint32_t GetLastProgress();
void SetLastProgress(uint32_t percent);
// Stores |percent| and returns whether it differs from the value stored before.
bool ExchangeLastProgress(uint32_t percent);

// Forgets every client and the progress value; for tests.
void ResetClientWindowsForTesting();

#endif  // UPDATER_CLIENT_WINDOWS_H_
