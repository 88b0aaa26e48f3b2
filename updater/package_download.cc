// Downloading the package into the temporary folder, and its progress.

#include <windows.h>

#include "base/win/temp_file_path.h"
#include "base/win/text_conversion.h"
#include "updater/browser_updater.h"
#include "updater/file_digest.h"

namespace {

constexpr wchar_t kPackageFileName[] = L"orbavintel_browser_update.exe";

}  // namespace

uint32_t DownloadPercent(uint32_t received, uint32_t total) {
  if (total == 0)
    return 0;
  const uint64_t percent = static_cast<uint64_t>(received) * 100 / total;
  return percent > 100 ? 100 : static_cast<uint32_t>(percent);
}

void BrowserUpdater::DownloadPackage() {
  packagePath = TempFilePath(kPackageFileName);
  if (packagePath.empty()) {
    // Every URL would fail the same way; they are used up one by one and the run ends.
    MoveToNextUrl(kFailed);
    return;
  }
  if (!ChangeState(kDownloading, Report::kNo))
    return;
  // Reading a large file may take a while, during which a stop may have come.
  const bool verified = VerifyPackage();
  if (LeaveToPendingStop("the download"))
    return;
  if (verified) {
    MarkDownloaded();
    return;
  }
  if (!StartTransfer(GetCurrentUrl(), HttpVerb::kGet, std::string(), packagePath))
    MoveToNextUrl(kFailed);
}

void BrowserUpdater::OnProgress(uint32_t received, uint32_t total) {
  if (state.load() != kDownloading)
    return;
  downloadReceived = received;
  ReportStillIn(kDownloading, DownloadPercent(received, total));
}

void BrowserUpdater::MarkDownloaded() {
  ChangeState(kDownloaded, Report::kYes);
}

bool BrowserUpdater::VerifyPackage() const {
  if (::GetFileAttributesW(packagePath.c_str()) == INVALID_FILE_ATTRIBUTES)
    return false;
  std::string hash;
  {
    std::lock_guard<SrwLock> hold(answerLock);
    hash = expectedHash;
  }
  return SUCCEEDED(VerifyFileSha256(packagePath, Utf8ToWide(hash)));
}
