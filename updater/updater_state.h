#ifndef UPDATER_UPDATER_STATE_H_
#define UPDATER_UPDATER_STATE_H_

#include <cstdint>

// The steps of one update run. Which step may follow which is the table in state_moves.cc.
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
  kLaunching = 9,      // the package is being verified and started; never reported
  kStopped = 10,       // a final message arrived or the window went; never reported
};

// Called on every reported state change, on whichever thread made it.
using StateCallback = void (*)(uint32_t state, uint32_t param);

// Asks the window thread to look at the run (BrowserUpdater::EnforceDeadlines) now: the state
// changed, so a deadline may have moved. Any thread.
using WatchRequest = void (*)();

// Whether a message that ends the run is already waiting for the window thread: a step that
// cannot be taken back (a launch, a transfer) is then left to the stop. Window thread.
using PendingStopCheck = bool (*)();

#endif  // UPDATER_UPDATER_STATE_H_
