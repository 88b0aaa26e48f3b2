#include "updater/run_watch.h"

#include <algorithm>

namespace {

// Milliseconds from |now| to |due|, at least 1 so that a timer set with it always fires.
uint32_t MillisecondsUntil(uint64_t due, uint64_t now) {
  return static_cast<uint32_t>(std::clamp<uint64_t>(due > now ? due - now : 1, 1, UINT32_MAX));
}

}  // namespace

void RunWatch::StartTransfer(uint64_t now) {
  windowStartedAt = now;
  windowStartBytes = 0;
}

RunWatch::Verdict RunWatch::Look(UpdaterState state,
                                 uint64_t enteredAt,
                                 uint64_t received,
                                 uint64_t now,
                                 uint32_t* nextLookMs) {
  switch (state) {
    case kChecking: {
      // The check has a single window: it never moves.
      const uint64_t due = windowStartedAt + limits.checkMs;
      *nextLookMs = MillisecondsUntil(due, now);
      return now >= due ? Verdict::kCheckTooLong : Verdict::kInTime;
    }
    case kDownloading: {
      if (now >= windowStartedAt + limits.lowSpeedWindowMs) {
        // A late look makes the window longer, never shorter: a slow link is not cut early.
        if (received < windowStartBytes + limits.LowSpeedWindowBytes()) {
          *nextLookMs = 1;
          return Verdict::kDownloadTooSlow;
        }
        windowStartedAt = now;
        windowStartBytes = received;
      }
      *nextLookMs = MillisecondsUntil(windowStartedAt + limits.lowSpeedWindowMs, now);
      return Verdict::kInTime;
    }
    case kLaunching:
      // The launch ends when the user has answered. (An ended or stopped run is never looked
      // at: EnforceDeadlines stops it first.)
      *nextLookMs = limits.handOverMs;
      return Verdict::kInTime;
    default: {
      const uint64_t due = enteredAt + limits.handOverMs;
      *nextLookMs = MillisecondsUntil(due, now);
      return now >= due ? Verdict::kStuck : Verdict::kInTime;
    }
  }
}
