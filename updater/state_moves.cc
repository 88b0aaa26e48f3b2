#include "updater/state_moves.h"

#include <initializer_list>

namespace {

struct Move {
  UpdaterState from;
  std::initializer_list<UpdaterState> to;
};

// The run, step by step. A transfer's outcome arrives on a WinHTTP thread; every other move is
// made on the window thread, mostly on the updater's own posted report of the step before.
// Any state not yet stopped may also move to kStopped (a final message, or the window's end).
const Move kMoves[] = {
    // Start-up posts the form; a check that cannot start fails at once.
    {kIdle, {kChecking, kFailed}},
    // The answer: read (offered or not) or refused.
    {kChecking, {kCheckDone, kFailed}},
    // UWM_UPDATE_AVAILABLE: download from the chosen URL, or skip a URL that cannot be tried.
    {kCheckDone, {kDownloading, kRetryDownload, kFailed}},
    {kRetryDownload, {kDownloading, kRetryDownload, kFailed}},
    // The download's end; a verified file already there needs no transfer.
    {kDownloading, {kDownloaded, kRetryDownload, kFailed}},
    // UWM_DOWNLOAD_COMPLETE starts the launch.
    {kDownloaded, {kLaunching, kFailed}},
    // Verified and started, verified and refused by the system, or not the announced bytes.
    {kLaunching, {kLaunched, kFailed, kRetryDownload, kVerifyFailed}},
};

}  // namespace

bool IsRunOver(UpdaterState state, bool updateOffered) {
  switch (state) {
    case kCheckDone:
      return !updateOffered;
    case kVerifyFailed:
    case kLaunched:
    case kFailed:
    case kStopped:
      return true;
    default:
      return false;
  }
}

bool IsAllowedMove(UpdaterState from, UpdaterState to, bool updateOffered) {
  if (from == kStopped)
    return false;
  if (to == kStopped)
    return true;
  if (IsRunOver(from, updateOffered))
    return false;
  for (const Move& move : kMoves) {
    if (move.from != from)
      continue;
    for (UpdaterState allowed : move.to) {
      if (allowed == to)
        return true;
    }
  }
  return false;
}
