#include "updater/browser_updater.h"

#include <utility>

#include "base/win/debug_output.h"
#include "net/fetch_url.h"
#include "updater/proxy_policy.h"
#include "updater/state_moves.h"

namespace {

constexpr char kUnknownInstalledVersion[] = "0.0.0.0";
// Until the server answers, no client counts as up to date but one claiming the maximum.
constexpr char kNewestVersionUnknown[] = "255.255.255.255";

}  // namespace

BrowserUpdater::BrowserUpdater(std::string_view versionText,
                               std::string archText,
                               std::string channelText,
                               std::string deviceText,
                               std::string langText)
    : installedVersion(versionText),
      arch(std::move(archText)),
      channel(std::move(channelText)),
      device(std::move(deviceText)),
      lang(std::move(langText)),
      newestVersion(kNewestVersionUnknown),
      now(::GetTickCount64) {
  if (!installedVersion.IsValid())
    installedVersion = Version(kUnknownInstalledVersion);
  request.SetFileBodyLimit(limits.maxPackageBytes);
}

BrowserUpdater::~BrowserUpdater() {
  // Waits out a callback still running, so none can reach the fields below as they go.
  // The connection and session close after the request, in reverse order of declaration.
  request.Cancel();
}

void BrowserUpdater::SetLimits(const RunLimits& value) {
  limits = value;
  watch = RunWatch(limits);
  request.SetFileBodyLimit(limits.maxPackageBytes);
}

bool BrowserUpdater::IsClientUpToDate(const Version& clientVersion) const {
  std::lock_guard<SrwLock> hold(answerLock);
  return newestVersion.IsValid() && clientVersion.IsValid() &&
         newestVersion.CompareTo(clientVersion) <= 0;
}

void BrowserUpdater::CancelRequest() {
  request.Cancel();
}

void BrowserUpdater::Stop() {
  // Stopped first, so that a callback finishing while the request is cancelled can neither
  // move the run on nor report.
  ChangeState(kStopped, Report::kNo);
  CancelRequest();
}

std::string BrowserUpdater::GetCurrentUrl() const {
  std::lock_guard<SrwLock> hold(answerLock);
  return currentUrl;
}

bool BrowserUpdater::StartTransfer(const std::string& url,
                                   HttpVerb verb,
                                   const std::string& body,
                                   const std::wstring& filePath) {
  watch.StartTransfer(now());
  downloadReceived = 0;
  // Whatever the look that was due, this transfer's own deadline may come first.
  if (watchRequest)
    watchRequest();
  return ::FetchUrl(session, connection, request, requestBody, url, verb, body, filePath,
                    GetProxyPolicy());
}

bool BrowserUpdater::ChangeState(UpdaterState next, Report report, uint32_t param) {
  {
    std::lock_guard<SrwLock> hold(stateLock);
    const UpdaterState current = state.load();
    if (!IsAllowedMove(current, next, updateOffered.load())) {
      // An ended run refuses every move quietly: a transfer may end after a stop.
      if (!IsRunOver(current, updateOffered.load()))
        WriteDebugLineF("Refusing to move the run from state %u to %u.\n", current, next);
      return false;
    }
    state = next;
    stateEnteredAt = now();
    // Under the lock, so that no report of this state can follow the report of the next.
    if (report == Report::kYes && stateCallback)
      stateCallback(next, param);
  }
  // The new state's deadline may come before the look that was due.
  if (watchRequest)
    watchRequest();
  return true;
}

void BrowserUpdater::ReportStillIn(UpdaterState current, uint32_t param) {
  std::lock_guard<SrwLock> hold(stateLock);
  if (state.load() == current && stateCallback)
    stateCallback(current, param);
}

bool BrowserUpdater::LeaveToPendingStop(const char* step) const {
  if (!isStopPending || !isStopPending())
    return false;
  WriteDebugLineF("A stop is waiting: %s is not started.\n", step);
  return true;
}

void BrowserUpdater::MoveToNextUrl(UpdaterState lastResort) {
  ChangeState(PickNextUrl() ? kRetryDownload : lastResort, Report::kYes);
}

void BrowserUpdater::OnResponseStarted() {
  // Only a transfer's own state is reported again: any other would repeat a final report.
  const UpdaterState current = state.load();
  if (current == kChecking || current == kDownloading)
    ReportStillIn(current, 0);
}

void BrowserUpdater::OnRequestComplete(const std::string& body) {
  if (request.IsStatusKnown() && request.GetStatusCode() != 200) {
    MoveToNextUrl(kFailed);
    return;
  }
  // A transfer that failed (refused, reset, cut short, not written) never delivered a
  // complete body, whatever part of one arrived.
  const bool complete = request.GetResult() == S_OK;
  switch (state.load()) {
    case kChecking:
      if (!complete || !IsAnswerAuthentic(body) || !ParseUpdateResponse(body))
        ChangeState(kFailed, Report::kYes);
      break;
    case kDownloading:
      // The file's content is judged by the verification before the launch.
      if (complete)
        MarkDownloaded();
      else
        MoveToNextUrl(kFailed);
      break;
    default:
      break;
  }
}
