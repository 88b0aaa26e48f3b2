#ifndef UPDATER_BROWSER_UPDATER_H_
#define UPDATER_BROWSER_UPDATER_H_

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/version.h"
#include "net/request_delegate.h"
#include "updater/updater_state.h"

// One update attempt: check, download, verify, launch. Created once by the program's
// start-up on the window thread. The window thread calls CheckForUpdate, DownloadPackage,
// LaunchPackage and CancelRequest; the RequestDelegate operations run on WinHTTP worker
// threads, change |state| and report through the state callback.
class BrowserUpdater : public RequestDelegate {
 public:
  // |versionText| is the installed version; "0.0.0.0" when it is empty or does not parse.
  BrowserUpdater(std::string_view versionText,
                 std::string arch,
                 std::string channel,
                 std::string device,
                 std::string lang);
  ~BrowserUpdater() override;

  BrowserUpdater(const BrowserUpdater&) = delete;
  BrowserUpdater& operator=(const BrowserUpdater&) = delete;

  void SetStateCallback(StateCallback callback) { stateCallback = callback; }
  UpdaterState GetState() const { return state.load(); }

  // True when the server's newest version is known and not newer than |clientVersion|.
  // Before the server has answered, only 255.255.255.255 (or above) counts as up to date.
  bool IsClientUpToDate(const Version& clientVersion) const;

  // Closes the request in flight, if any; the session and connection stay open.
  void CancelRequest();

  // Posts the update-check form; called once, by start-up.
  void CheckForUpdate();

  // Downloads the package from |currentUrl|, on UWM_UPDATE_AVAILABLE.
  void DownloadPackage();

  // Verifies and starts the downloaded package, on UWM_DOWNLOAD_COMPLETE.
  void LaunchPackage();

  // RequestDelegate:
  void OnResponseStarted() override;
  void OnProgress(uint32_t received, uint32_t total) override;
  void OnRequestComplete(const std::string& body) override;
  void OnConnectionClosed() override {}

 private:
  // Calls the state callback, if one is set, with the current |state|.
  void ReportState(uint32_t param) const;

  std::atomic<UpdaterState> state{kIdle};
  StateCallback stateCallback = nullptr;
  Version installedVersion;
  std::string arch;
  std::string channel;
  std::string device;
  std::string lang;
  // Written on a WinHTTP thread by the check, read on the window thread by registrations.
  mutable std::mutex newestVersionLock;
  Version newestVersion;
  std::vector<std::string> defaultUrls;
  std::vector<std::string> backupUrls;
  std::string currentUrl;
  std::string expectedHash;
  bool runAsAdmin = false;
  std::string requestBody;
  std::wstring packagePath;
};

#endif  // UPDATER_BROWSER_UPDATER_H_
