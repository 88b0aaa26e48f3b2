#include <gtest/gtest.h>

#include "updater/run_watch.h"

namespace {

constexpr uint32_t kWindowMs = 60000;
constexpr uint64_t kWindowBytes = 60 * 1024;  // 1 KiB/s over the window

TransferLimits Limits() {
  TransferLimits limits;
  limits.lowSpeedWindowMs = kWindowMs;
  return limits;
}

// Feeds a download at |bytesPerSecond| for |seconds|, looking once a second as a timer
// would; returns the second at which the watch cut it, or 0.
uint32_t SecondsUntilCut(uint64_t bytesPerSecond, uint32_t seconds, uint32_t burstEvery = 1) {
  RunWatch watch(Limits());
  watch.StartTransfer(0);
  uint64_t received = 0;
  for (uint32_t second = 1; second <= seconds; ++second) {
    if (second % burstEvery == 0)
      received += bytesPerSecond * burstEvery;
    uint32_t next = 0;
    if (watch.Look(kDownloading, received, second * 1000ull, &next) ==
        RunWatch::Verdict::kDownloadTooSlow) {
      return second;
    }
  }
  return 0;
}

TEST(RunWatchTest, LowSpeedLimitCutsSlowDownloadsAndSparesSlowLinks) {
  const struct {
    uint64_t bytesPerSecond;
    uint32_t burstEvery;
    uint32_t cutAt;
  } kCases[] = {
      {0, 1, 60},      // nothing at all: cut at the end of the first window
      {1, 1, 60},      // a byte a second keeps no download alive
      {1000, 1, 60},   // just under 1 KiB/s
      {1024, 1, 0},    // exactly the limit
      {2048, 1, 0},    // a real slow link is never cut
      {1024, 20, 0},   // bursts every 20 s that average the limit
      {3000, 90, 60},  // one large burst every 90 s leaves the first window empty
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(SecondsUntilCut(c.bytesPerSecond, 600, c.burstEvery), c.cutAt)
        << c.bytesPerSecond << " B/s in bursts every " << c.burstEvery << " s";
  }
}

TEST(RunWatchTest, LateLookMeasuresALongerWindowAndNextLookIsWindowEnd) {
  RunWatch watch(Limits());
  watch.StartTransfer(5000);
  uint32_t next = 0;
  EXPECT_EQ(watch.Look(kDownloading, 0, 5000, &next), RunWatch::Verdict::kInTime);
  EXPECT_EQ(next, kWindowMs);
  // 90 s late: the window's bytes are enough for 60 s, so it is not cut early.
  EXPECT_EQ(watch.Look(kDownloading, kWindowBytes, 155000, &next), RunWatch::Verdict::kInTime);
  EXPECT_EQ(next, kWindowMs);
  // A new transfer starts a new window with its own count.
  watch.StartTransfer(156000);
  EXPECT_EQ(watch.Look(kDownloading, 10, 216000, &next), RunWatch::Verdict::kDownloadTooSlow);
}

TEST(RunWatchTest, CheckHasItsDeadlineFromTheStart) {
  TransferLimits limits;
  limits.checkMs = 1500;
  RunWatch watch(limits);
  watch.StartTransfer(100);
  uint32_t next = 0;
  EXPECT_EQ(watch.Look(kChecking, 0, 600, &next), RunWatch::Verdict::kInTime);
  EXPECT_EQ(next, 1000u);
  EXPECT_EQ(watch.Look(kChecking, 0, 1600, &next), RunWatch::Verdict::kCheckTooLong);
}

// A state that waits for the updater's own message is stuck when it lasts the hand-over
// time, whichever state it is and however the states before it went.
TEST(RunWatchTest, EveryOtherStateIsStuckAfterTheHandOverTime) {
  for (UpdaterState state :
       {kIdle, kCheckDone, kRetryDownload, kDownloaded, kVerifyFailed, kLaunched, kFailed}) {
    TransferLimits limits;
    limits.handOverMs = 30000;
    RunWatch watch(limits);
    uint32_t next = 0;
    watch.StartTransfer(0);
    EXPECT_EQ(watch.Look(kDownloading, 0, 1000, &next), RunWatch::Verdict::kInTime);
    EXPECT_EQ(watch.Look(state, 0, 2000, &next), RunWatch::Verdict::kInTime) << state;
    EXPECT_EQ(next, 30000u);
    EXPECT_EQ(watch.Look(state, 0, 31999, &next), RunWatch::Verdict::kInTime) << state;
    EXPECT_EQ(next, 1u);
    EXPECT_EQ(watch.Look(state, 0, 32000, &next), RunWatch::Verdict::kStuck) << state;
  }
}

}  // namespace
