#include "updater/browser_updater.h"

#include <algorithm>
#include <utility>

#include "net/fetch_url.h"
#include "updater/proxy_policy.h"

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
      newestVersion(kNewestVersionUnknown) {
  if (!installedVersion.IsValid())
    installedVersion = Version(kUnknownInstalledVersion);
  request.SetFileBodyLimit(limits.maxPackageBytes);
}

BrowserUpdater::~BrowserUpdater() {
  // Waits out a callback still running, so none can reach the fields below as they go.
  // The connection and session close after the request, in reverse order of declaration.
  request.Cancel();
}

void BrowserUpdater::SetLimits(const TransferLimits& value) {
  limits = value;
  watch = RunWatch(limits);
  request.SetFileBodyLimit(limits.maxPackageBytes);
}

bool BrowserUpdater::IsClientUpToDate(const Version& clientVersion) const {
  std::lock_guard<std::mutex> hold(answerLock);
  return newestVersion.IsValid() && clientVersion.IsValid() &&
         newestVersion.CompareTo(clientVersion) <= 0;
}

void BrowserUpdater::CancelRequest() {
  request.Cancel();
}

std::string BrowserUpdater::GetCurrentUrl() const {
  std::lock_guard<std::mutex> hold(answerLock);
  return currentUrl;
}

bool BrowserUpdater::FetchUrl(const std::string& url,
                              HttpVerb verb,
                              const std::string& body,
                              const std::wstring& filePath) {
  watch.StartTransfer(::GetTickCount64());
  downloadReceived = 0;
  // Whatever the look that was due, this transfer's own deadline may come first.
  if (watchTimer)
    watchTimer(std::min(limits.checkMs, limits.lowSpeedWindowMs));
  return ::FetchUrl(session, connection, request, requestBody, url, verb, body, filePath,
                    GetProxyPolicy());
}

void BrowserUpdater::ReportState(uint32_t param) const {
  if (stateCallback)
    stateCallback(state.load(), param);
}

void BrowserUpdater::MoveToNextUrl(UpdaterState lastResort) {
  state = PickNextUrl() ? kRetryDownload : lastResort;
  ReportState(0);
}

void BrowserUpdater::OnResponseStarted() {
  // Only a transfer's own state is reported again: any other would repeat a final report.
  const UpdaterState current = state.load();
  if (current == kChecking || current == kDownloading)
    ReportState(0);
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
      if (!complete || !IsAnswerAuthentic(body) || !ParseUpdateResponse(body)) {
        state = kFailed;
        ReportState(0);
      }
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
