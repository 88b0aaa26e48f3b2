#ifndef UPDATER_RUN_WATCH_H_
#define UPDATER_RUN_WATCH_H_

#include <cstdint>

#include "updater/run_limits.h"
#include "updater/updater_state.h"

// A monotonic clock in milliseconds.
using TickClock = uint64_t (*)();

// Decides when a run has stayed too long where it is: the check past its deadline, a download
// below the low-speed limit, or any other state past the hand-over time from the moment it was
// entered. Every state but the launch is watched, so no loop or lost message can keep a run
// alive; a launch may wait on the user's answer to an elevation prompt for as long as the user
// takes. Pure logic: the caller passes the time (milliseconds of a monotonic clock) and what
// the run is doing. Window thread.
class RunWatch {
 public:
  enum class Verdict {
    kInTime,
    kCheckTooLong,     // kChecking past limits.checkMs
    kDownloadTooSlow,  // a low-speed window of kDownloading got too few bytes
    kStuck,            // another state lasted limits.handOverMs
  };

  explicit RunWatch(const RunLimits& chosen) : limits(chosen) {}

  // A transfer (the check or a download) starts at |now|; a download's first low-speed
  // window starts with it.
  void StartTransfer(uint64_t now);

  // Looks at the run at |now|: its |state|, entered at |enteredAt|, and the body bytes
  // |received| so far by the current download. Sets |*nextLookMs| (at least 1) to when the
  // next look is due.
  Verdict Look(UpdaterState state,
               uint64_t enteredAt,
               uint64_t received,
               uint64_t now,
               uint32_t* nextLookMs);

 private:
  RunLimits limits;
  // When the current transfer, or a download's current low-speed window, started.
  uint64_t windowStartedAt = 0;
  uint64_t windowStartBytes = 0;
};

#endif  // UPDATER_RUN_WATCH_H_
