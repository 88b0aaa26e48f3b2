// Ending whatever has run too long, so that every run ends.

#include "base/win/debug_output.h"
#include "updater/browser_updater.h"
#include "updater/state_moves.h"

bool BrowserUpdater::EnforceDeadlines(uint32_t* nextLookMs) {
  const UpdaterState watched = state.load();
  // A run that has reported its end has nothing left to do: it stops now rather than wait for
  // its own stop message, which a flood of posts queued before it would hold back.
  if (IsRunOver(watched, IsUpdateOffered()))
    return false;
  const RunWatch::Verdict verdict =
      watch.Look(watched, stateEnteredAt.load(), downloadReceived.load(), now(), nextLookMs);
  if (verdict == RunWatch::Verdict::kInTime)
    return true;
  if (verdict == RunWatch::Verdict::kStuck) {
    WriteDebugLineF("The message that moves state %u on never arrived.\n", watched);
    ChangeState(kFailed, Report::kYes);
    return true;
  }
  // Once the cancel returns no callback runs any more, so the state read after it is final:
  // a transfer that completed just before keeps its own, already reported, outcome.
  CancelRequest();
  if (state.load() != watched)
    return true;
  if (verdict == RunWatch::Verdict::kCheckTooLong) {
    WriteDebugLine("The update check got no complete answer in time.\n");
    ChangeState(kFailed, Report::kYes);
  } else {
    WriteDebugLine("The download was slower than the low-speed limit.\n");
    MoveToNextUrl(kFailed);
  }
  return true;
}
