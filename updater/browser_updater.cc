#include "updater/browser_updater.h"

#include <utility>

namespace {

constexpr char kUnknownInstalledVersion[] = "0.0.0.0";
// Until the server answers, no client counts as up to date but one claiming the maximum.
constexpr char kNewestVersionUnknown[] = "255.255.255.255";

}  // namespace

BrowserUpdater::BrowserUpdater(std::string_view versionText,
                               std::string arch,
                               std::string channel,
                               std::string device,
                               std::string lang)
    : installedVersion(versionText),
      arch(std::move(arch)),
      channel(std::move(channel)),
      device(std::move(device)),
      lang(std::move(lang)),
      newestVersion(kNewestVersionUnknown) {
  if (!installedVersion.IsValid())
    installedVersion = Version(kUnknownInstalledVersion);
}

BrowserUpdater::~BrowserUpdater() = default;

bool BrowserUpdater::IsClientUpToDate(const Version& clientVersion) const {
  std::lock_guard<std::mutex> hold(newestVersionLock);
  return newestVersion.IsValid() && clientVersion.IsValid() &&
         newestVersion.CompareTo(clientVersion) <= 0;
}

void BrowserUpdater::CancelRequest() {}

void BrowserUpdater::CheckForUpdate() {
  state = kChecking;
}

void BrowserUpdater::DownloadPackage() {}

void BrowserUpdater::LaunchPackage() {}

void BrowserUpdater::ReportState(uint32_t param) const {
  if (stateCallback)
    stateCallback(state.load(), param);
}

void BrowserUpdater::OnResponseStarted() {
  ReportState(0);
}

void BrowserUpdater::OnProgress(uint32_t received, uint32_t total) {}

void BrowserUpdater::OnRequestComplete(const std::string& body) {}
