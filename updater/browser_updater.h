#ifndef UPDATER_BROWSER_UPDATER_H_
#define UPDATER_BROWSER_UPDATER_H_

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/version.h"
#include "base/win/srw_lock.h"
#include "net/http_handle.h"
#include "net/http_verb.h"
#include "net/notifying_http_request.h"
#include "net/request_delegate.h"
#include "updater/answer_key.h"
#include "updater/run_watch.h"
#include "updater/run_limits.h"
#include "updater/updater_state.h"

class JsonValue;

// One update attempt: check, download, verify, launch. Created once by the program's
// start-up on the window thread. The window thread calls CheckForUpdate, DownloadPackage,
// LaunchPackage, Stop and CancelRequest; the RequestDelegate operations run on WinHTTP worker
// threads. Both change the state only through ChangeState, which follows the table of
// state_moves.cc and reports through the state callback, which only posts. The two sides
// never run at once on the same transfer: the window thread starts a transfer only after the
// previous one reported its end.
class BrowserUpdater : public RequestDelegate {
 public:
  // |versionText| is the installed version; "0.0.0.0" when it is empty or does not parse.
  BrowserUpdater(std::string_view versionText,
                 std::string archText,
                 std::string channelText,
                 std::string deviceText,
                 std::string langText);
  // Destroys the request first (which waits out a callback in flight), then closes the
  // connection and session. Window thread.
  ~BrowserUpdater() override;

  BrowserUpdater(const BrowserUpdater&) = delete;
  BrowserUpdater& operator=(const BrowserUpdater&) = delete;

  void SetStateCallback(StateCallback callback) { stateCallback = callback; }
  UpdaterState GetState() const { return state.load(); }

  // Set by the program so that every change of state and every transfer asks for a look at
  // the deadlines: no caller has to remember to watch what it starts. Before the check.
  void SetWatchRequest(WatchRequest callback) { watchRequest = callback; }

  // Asked before a launch or a download starts. Before the check.
  void SetPendingStopCheck(PendingStopCheck check) { isStopPending = check; }

  // The monotonic millisecond clock the deadlines are measured with; GetTickCount64 unless a
  // test replaces it. Before the check.
  void SetClock(TickClock clock) { now = clock; }

  // Where update checks are posted; the built-in server unless changed before the check.
  void SetCheckUrl(std::string url) { checkUrl = std::move(url); }

  // The keys whose signatures make an answer trustworthy; none by default. With keys, the
  // check sends a fresh nonce and an answer without a valid signature by one of them ends the
  // run in kFailed before it is read. |keys| must outlive the updater. Before the check.
  void SetAnswerKeys(std::span<const AnswerKey> keys) { answerKeys = keys; }

  // How long and how far the run may go; set before the check.
  void SetLimits(const RunLimits& value);

  // Whether the check's answer offered a newer version. Any thread.
  bool IsUpdateOffered() const { return updateOffered.load(); }

  // True when the server's newest version is known and not newer than |clientVersion|.
  // Before the server has answered, only 255.255.255.255 (or above) counts as up to date.
  bool IsClientUpToDate(const Version& clientVersion) const;

  // Closes the request in flight, if any; the session and connection stay open.
  void CancelRequest();

  // Ends the run for good, whatever it was doing: no report, transfer or launch follows, and
  // reports already queued no longer match the state. Window thread.
  void Stop();

  // Posts the update-check form. Called once, by start-up. When the request cannot even be
  // started the run ends in kFailed, so that it never waits for an answer that cannot come.
  void CheckForUpdate();

  // Fetches the package from |currentUrl| into the temporary folder, or goes straight to
  // kDownloaded when a file with the announced digest is already there. A download that
  // cannot be started counts as a failed URL. On UWM_UPDATE_AVAILABLE.
  void DownloadPackage();

  // Verifies the package and starts it (elevated when the answer asked for it); a package
  // that fails verification moves on to the next URL, one that cannot be started (or whose
  // elevation is declined) ends the run in kFailed. Only in kDownloaded, and at most once per
  // run whatever asks for it. On UWM_DOWNLOAD_COMPLETE.
  void LaunchPackage();

  // Ends whatever has run too long (see RunWatch): a check past its deadline ends in
  // kFailed, a download below the low-speed limit counts as a failed URL, and a state that
  // waited too long for the updater's own message ends the run in kFailed. Returns false
  // when the run is over (its final message reported, or stopped): the caller stops it. Sets
  // |*nextLookMs| to when to look again. Window thread, whenever the time is due or the state
  // has changed.
  bool EnforceDeadlines(uint32_t* nextLookMs);

  // RequestDelegate, on WinHTTP worker threads:
  void OnResponseStarted() override;
  void OnProgress(uint32_t received, uint32_t total) override;
  void OnRequestComplete(const std::string& body) override;
  void OnConnectionClosed() override {}

  // Interprets the check's answer: newest version, and for a newer one the digest, the
  // elevation flag and the URL lists. Reports kCheckDone and returns true, or returns false.
  bool ParseUpdateResponse(const std::string& body);

  // Chooses the next download URL at random, all "default" URLs before any "backup" one,
  // each at most once. False when none is left.
  bool PickNextUrl();

  // Moves a new updater to kChecking without sending anything, so that a test can hand it an
  // answer through ParseUpdateResponse.
  void BeginCheckForTesting() { ChangeState(kChecking, Report::kNo); }

  // The body of the check request; for tests and diagnostics.
  std::string BuildCheckBody() const;

  // The URL chosen last; empty before the first choice.
  std::string GetCurrentUrl() const;

 private:
  // Starts a transfer of |url|; false when it could not be started (no completion follows).
  bool StartTransfer(const std::string& url,
                     HttpVerb verb,
                     const std::string& body,
                     const std::wstring& filePath);

  enum class Report { kNo, kYes };

  // The one way the state changes: moves to |next| when the table of allowed moves lets the
  // current state go there, and then, with Report::kYes, calls the state callback with
  // |next| and |param|. A refused move changes and reports nothing and returns false: an
  // ended run stays ended (a transfer's outcome may arrive after a stop), and any other
  // refusal is a fault, logged. Any thread.
  bool ChangeState(UpdaterState next, Report report, uint32_t param = 0);

  // Reports |current| again with |param|, only while the run is still in it. Any thread.
  void ReportStillIn(UpdaterState current, uint32_t param);

  // Moves to kRetryDownload when another URL is left, else to |lastResort|, and reports it.
  void MoveToNextUrl(UpdaterState lastResort);

  // With answer keys: whether the check's answer carries a valid signature for the request
  // sent (logs why not). Without keys, always true. On the WinHTTP thread that completed it.
  bool IsAnswerAuthentic(const std::string& body) const;

  void MarkDownloaded();
  bool VerifyPackage() const;

  // Whether a stop waits: then the step about to start is left undone (logged) for it.
  bool LeaveToPendingStop(const char* step) const;

  // Written under |stateLock| only, with its report, so that nothing is reported after the
  // run has moved on; read without it.
  std::atomic<UpdaterState> state{kIdle};
  SrwLock stateLock;
  // When the current state was entered, on |now|'s clock.
  std::atomic<uint64_t> stateEnteredAt{0};
  StateCallback stateCallback = nullptr;
  WatchRequest watchRequest = nullptr;
  PendingStopCheck isStopPending = nullptr;
  HttpSession session;
  HttpConnection connection;
  NotifyingHttpRequest request{this};
  Version installedVersion;
  std::string arch;
  std::string channel;
  std::string device;
  std::string lang;
  // Guards the server's answer and the URL choice: written on a WinHTTP thread by the
  // check, read on the window thread by registrations and launches.
  mutable SrwLock answerLock;
  Version newestVersion;
  std::vector<std::string> defaultUrls;
  std::vector<std::string> backupUrls;
  std::string currentUrl;
  std::string expectedHash;
  bool runAsAdmin = false;
  std::string requestBody;
  std::wstring packagePath;
  std::string checkUrl;
  RunLimits limits;
  // Window thread only.
  RunWatch watch{limits};
  TickClock now;
  // Body bytes received by the download under way; set on WinHTTP threads.
  std::atomic<uint64_t> downloadReceived{0};
  std::atomic<bool> updateOffered{false};
  std::span<const AnswerKey> answerKeys;
  // 32 lower-case hex digits sent as "nonce" with a check whose answer must be signed.
  std::string requestNonce;
};

// The download percentage: |received| * 100 / |total| without overflow, 0 for a total of
// 0, and at most 100 even when the server sends more than it announced.
uint32_t DownloadPercent(uint32_t received, uint32_t total);

#endif  // UPDATER_BROWSER_UPDATER_H_
