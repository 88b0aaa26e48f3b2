#ifndef UPDATER_RUN_LIMITS_H_
#define UPDATER_RUN_LIMITS_H_

#include <cstdint>

class CommandLineArgs;

// How long and how far the updater lets a run go, so that every run ends and its clients
// hear how, whatever the server, the network or another process does.
struct RunLimits {
  // The check ends in kFailed when its answer is not complete this long after it started.
  uint32_t checkMs = 120000;
  // A download is measured in consecutive windows of this length from its start; one that
  // receives less than kLowSpeedBytesPerSecond on average over a window is cancelled and
  // counts as a failed URL.
  uint32_t lowSpeedWindowMs = 60000;
  // Every other state only waits for a message the updater posted to itself; when it lasts
  // this long, that message was lost (a full message queue) and the run ends.
  uint32_t handOverMs = 30000;
  // A package announced or grown larger than this fails its URL.
  uint64_t maxPackageBytes = kDefaultMaxPackageBytes;

  static constexpr uint32_t kLowSpeedBytesPerSecond = 1024;
  static constexpr uint64_t kDefaultMaxPackageBytes = ORBAVINTEL_MAX_PACKAGE_BYTES;

  // The bytes a download must receive in each low-speed window.
  uint64_t LowSpeedWindowBytes() const {
    return uint64_t{lowSpeedWindowMs} * kLowSpeedBytesPerSecond / 1000;
  }
};

// The limits, tightened for development and tests by the switches "check-deadline-ms",
// "low-speed-window-ms" (the low-speed window) and "max-package-bytes" (decimal, 1 or more; a
// package limit can only be lowered). A malformed value is ignored with a debug line.
RunLimits GetRunLimits(const CommandLineArgs& args);

#endif  // UPDATER_RUN_LIMITS_H_
