// Ending transfers that run past their deadlines, so that every run ends.

#include <windows.h>

#include "base/win/debug_output.h"
#include "updater/browser_updater.h"

uint32_t BrowserUpdater::EnforceDeadlines() {
  switch (state.load()) {
    case kChecking:
      return EndTransferPast(checkStartedAt + deadlines.checkMs, kChecking);
    case kDownloading:
      return EndTransferPast(downloadAliveAt.load() + deadlines.stallMs, kDownloading);
    default:
      return 0;
  }
}

uint32_t BrowserUpdater::EndTransferPast(uint64_t deadline, UpdaterState watched) {
  const uint64_t now = ::GetTickCount64();
  if (now < deadline)
    return static_cast<uint32_t>(deadline - now);
  // Once the cancel returns no callback runs any more, so the state read after it is final:
  // a transfer that completed just before keeps its own, already reported, outcome.
  CancelRequest();
  if (state.load() != watched)
    return 0;
  if (watched == kChecking) {
    WriteDebugLine("The update check got no complete answer in time.\n");
    state = kFailed;
    ReportState(0);
  } else {
    WriteDebugLine("The download received nothing in time.\n");
    MoveToNextUrl(kFailed);
  }
  return 0;
}
