#ifndef UPDATER_TRANSFER_DEADLINES_H_
#define UPDATER_TRANSFER_DEADLINES_H_

#include <cstdint>

class CommandLineArgs;

// How long the updater lets its transfers run, so that every run ends and its clients hear
// how, whatever the server or the network does.
struct TransferDeadlines {
  // The check ends in kFailed when its answer is not complete this long after it started.
  uint32_t checkMs = 120000;
  // A download that receives no byte for this long is cancelled and counts as a failed URL.
  uint32_t stallMs = 60000;
};

// The deadlines, shortened for development and tests by the switches "check-deadline-ms" and
// "stall-deadline-ms" (decimal milliseconds, 1 or more). A malformed value is ignored with a
// debug line.
TransferDeadlines GetTransferDeadlines(const CommandLineArgs& args);

#endif  // UPDATER_TRANSFER_DEADLINES_H_
