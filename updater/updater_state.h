#ifndef UPDATER_UPDATER_STATE_H_
#define UPDATER_UPDATER_STATE_H_

#include <cstdint>

// The steps of one update run.
enum UpdaterState : uint32_t {
  kIdle = 0,           // created, nothing started
  kChecking = 1,       // update-check request under way
  kCheckDone = 2,      // answered; parameter 1 when a newer version is offered, else 0
  kDownloading = 3,    // package download under way; reports carry the percentage
  kRetryDownload = 4,  // a download or verification failed and another URL was chosen
  kDownloaded = 5,     // the package file is in place
  kVerifyFailed = 6,   // the package failed verification and no URL is left
  kLaunched = 7,       // the package was started
  kFailed = 8,         // the check or a download failed and nothing is left to try
};

// Called on every reported state change, on whichever thread made it.
using StateCallback = void (*)(uint32_t state, uint32_t param);

// Asks for the run to be looked at (BrowserUpdater::EnforceDeadlines) in |delayMs|
// milliseconds, replacing any look asked for before. Window thread.
using WatchTimer = void (*)(uint32_t delayMs);

#endif  // UPDATER_UPDATER_STATE_H_
