#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "updater/browser_updater.h"
#include "updater/run_watch.h"
#include "updater/state_moves.h"

namespace {

constexpr uint32_t kWindowMs = 60000;
constexpr uint64_t kWindowBytes = 60 * 1024;  // 1 KiB/s over the window

RunLimits Limits() {
  RunLimits limits;
  limits.lowSpeedWindowMs = kWindowMs;
  return limits;
}

// Feeds a download at |bytesPerSecond|, in bursts every |burstEvery| s, after |silentSeconds|
// without a byte, looking once a second as the message loop would; returns the second at which
// the watch cut it, or 0. The download counts a burst only |lagSeconds| after it arrived, as a
// read is counted when it completes.
uint32_t SecondsUntilCut(uint64_t bytesPerSecond,
                         uint32_t burstEvery,
                         uint32_t silentSeconds = 0,
                         uint32_t lagSeconds = 0) {
  RunWatch watch(Limits());
  watch.StartTransfer(0);
  for (uint32_t second = 1; second <= 600; ++second) {
    const uint32_t counted =
        second > silentSeconds + lagSeconds ? second - silentSeconds - lagSeconds : 0;
    const uint64_t received = bytesPerSecond * (counted / burstEvery * burstEvery);
    uint32_t next = 0;
    if (watch.Look(kDownloading, 0, received, second * 1000ull, &next) ==
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
    uint32_t silentSeconds;
    uint32_t lagSeconds;
    uint32_t cutAt;
  } kCases[] = {
      {0, 1, 0, 0, 60},      // nothing at all: cut at the end of the first window
      {1, 1, 0, 0, 60},      // a byte a second keeps no download alive
      {1000, 1, 0, 0, 60},   // just under 1 KiB/s
      {1024, 1, 0, 0, 0},    // exactly the limit
      {2048, 1, 0, 0, 0},    // a real slow link is never cut
      {1024, 20, 0, 0, 0},   // bursts every 20 s that average the limit
      {3000, 90, 0, 0, 60},  // one large burst every 90 s leaves the first window empty
      // The README's bound: 2 KiB/s whose first byte comes within 20 s of the start, counted
      // up to a second late, is never cut; 30 s of silence leaves exactly the limit, which the
      // lag then cuts.
      {2048, 1, 20, 1, 0},
      {2048, 1, 30, 1, 60},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(SecondsUntilCut(c.bytesPerSecond, c.burstEvery, c.silentSeconds, c.lagSeconds),
              c.cutAt)
        << c.bytesPerSecond << " B/s in bursts every " << c.burstEvery << " s after "
        << c.silentSeconds << " s, counted " << c.lagSeconds << " s late";
  }
}

TEST(RunWatchTest, LateLookMeasuresALongerWindowAndNextLookIsWindowEnd) {
  RunWatch watch(Limits());
  watch.StartTransfer(5000);
  uint32_t next = 0;
  EXPECT_EQ(watch.Look(kDownloading, 0, 0, 5000, &next), RunWatch::Verdict::kInTime);
  EXPECT_EQ(next, kWindowMs);
  // 90 s late: the window's bytes are enough for 60 s, so it is not cut early.
  EXPECT_EQ(watch.Look(kDownloading, 0, kWindowBytes, 155000, &next), RunWatch::Verdict::kInTime);
  EXPECT_EQ(next, kWindowMs);
  // A new transfer starts a new window with its own count.
  watch.StartTransfer(156000);
  EXPECT_EQ(watch.Look(kDownloading, 0, 10, 216000, &next), RunWatch::Verdict::kDownloadTooSlow);
}

TEST(RunWatchTest, CheckHasItsDeadlineFromTheStart) {
  RunLimits limits;
  limits.checkMs = 1500;
  RunWatch watch(limits);
  watch.StartTransfer(100);
  uint32_t next = 0;
  EXPECT_EQ(watch.Look(kChecking, 0, 0, 600, &next), RunWatch::Verdict::kInTime);
  EXPECT_EQ(next, 1000u);
  EXPECT_EQ(watch.Look(kChecking, 0, 0, 1600, &next), RunWatch::Verdict::kCheckTooLong);
}

// A state that waits for the updater's own message is stuck the hand-over time after it was
// entered, however late the first look comes; the launch, which may wait on the user, never is.
TEST(RunWatchTest, EveryOtherStateIsStuckTheHandOverTimeAfterItWasEntered) {
  for (UpdaterState state :
       {kIdle, kCheckDone, kRetryDownload, kDownloaded, kVerifyFailed, kLaunched, kFailed}) {
    RunLimits limits;
    limits.handOverMs = 30000;
    RunWatch watch(limits);
    uint32_t next = 0;
    EXPECT_EQ(watch.Look(state, 2000, 0, 2000, &next), RunWatch::Verdict::kInTime) << state;
    EXPECT_EQ(next, 30000u);
    EXPECT_EQ(watch.Look(state, 2000, 0, 31999, &next), RunWatch::Verdict::kInTime) << state;
    EXPECT_EQ(next, 1u);
    // First looked at long after it was entered: stuck at once.
    RunWatch late(limits);
    EXPECT_EQ(late.Look(state, 2000, 0, 32000, &next), RunWatch::Verdict::kStuck) << state;
  }
  RunWatch watch(Limits());
  uint32_t next = 0;
  EXPECT_EQ(watch.Look(kLaunching, 0, 0, 3600000, &next), RunWatch::Verdict::kInTime);
}

// A run reports one final message at most: once ended, it can only stop, and a stopped run
// never moves again. Every state that is not final can still end.
TEST(StateMovesTest, NoRunReportsTwoFinalMessages) {
  const UpdaterState kAll[] = {kIdle,          kChecking,   kCheckDone,    kDownloading,
                               kRetryDownload, kDownloaded, kVerifyFailed, kLaunched,
                               kFailed,        kLaunching,  kStopped};
  for (const bool offered : {false, true}) {
    for (const UpdaterState from : kAll) {
      const bool over = IsRunOver(from, offered);
      EXPECT_EQ(IsAllowedMove(from, kStopped, offered), from != kStopped) << from;
      for (const UpdaterState to : kAll) {
        if (over && to != kStopped) {
          EXPECT_FALSE(IsAllowedMove(from, to, offered)) << from << " to " << to;
        }
      }
      if (!over) {
        EXPECT_TRUE(IsAllowedMove(from, kFailed, offered)) << from;
      }
    }
  }
  EXPECT_TRUE(IsRunOver(kCheckDone, false));
  EXPECT_FALSE(IsRunOver(kCheckDone, true));
  EXPECT_TRUE(IsAllowedMove(kChecking, kFailed, false));
}

using Reports = std::vector<std::pair<uint32_t, uint32_t>>;
Reports g_reports;
uint64_t g_now = 0;
int g_watchRequests = 0;

void RecordReport(uint32_t state, uint32_t param) {
  g_reports.emplace_back(state, param);
}
uint64_t FakeClock() {
  return g_now;
}
void CountWatchRequest() {
  ++g_watchRequests;
}

// The watch acting on the run: a lost self-post ends the run the hand-over time after the
// state was entered, with one final report; an ended run whose stop message was lost is
// stopped; a stopped run reports nothing, whatever comes after.
class EnforceDeadlinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_reports.clear();
    g_now = 1000;
    g_watchRequests = 0;
    updater.SetStateCallback(RecordReport);
    updater.SetClock(FakeClock);
    updater.SetWatchRequest(CountWatchRequest);
    updater.BeginCheckForTesting();
  }

  // Looks at the run at |at|; returns whether the run may go on, and the next look's delay.
  std::pair<bool, uint32_t> LookAt(uint64_t at) {
    g_now = at;
    uint32_t next = 0;
    const bool goOn = updater.EnforceDeadlines(&next);
    return {goOn, next};
  }

  BrowserUpdater updater{"1.0", "", "", "", ""};
};

TEST_F(EnforceDeadlinesTest, LostSelfPostEndsTheRunWhenTheHandOverTimeIsUp) {
  // The answer arrives at 1 s; its UWM_UPDATE_AVAILABLE to the updater itself is lost.
  ASSERT_TRUE(updater.ParseUpdateResponse(
      R"({"version": "2.0", "hash": "", "run_admin": false, "default": ["x"]})"));
  EXPECT_EQ(g_reports, (Reports{{kCheckDone, 1}}));
  EXPECT_GT(g_watchRequests, 0);  // the new state asked for a look
  // However late the first look, the time counts from the state's start.
  EXPECT_EQ(LookAt(20000), std::make_pair(true, 11000u));
  EXPECT_EQ(LookAt(30999), std::make_pair(true, 1u));
  EXPECT_EQ(g_reports.size(), 1u);
  EXPECT_TRUE(LookAt(31000).first);
  EXPECT_EQ(g_reports, (Reports{{kCheckDone, 1}, {kFailed, 0}}));
  // Ended: the next look stops the run without waiting for its own stop message, which a
  // flood could hold back, and nothing more is reported.
  EXPECT_FALSE(LookAt(31001).first);
  updater.Stop();
  updater.DownloadPackage();
  updater.LaunchPackage();
  EXPECT_EQ(g_reports, (Reports{{kCheckDone, 1}, {kFailed, 0}}));
  EXPECT_EQ(updater.GetState(), kStopped);
}

TEST_F(EnforceDeadlinesTest, StoppedRunStartsNothingAndReportsNothing) {
  ASSERT_TRUE(updater.ParseUpdateResponse(
      R"({"version": "2.0", "hash": "", "run_admin": false, "default": ["x"]})"));
  g_reports.clear();
  updater.Stop();
  // The reports already queued before the stop come now, and so might a late transfer end.
  updater.DownloadPackage();
  updater.LaunchPackage();
  updater.OnProgress(10, 100);
  updater.OnResponseStarted();
  updater.OnRequestComplete("");
  EXPECT_FALSE(LookAt(1000000).first);  // over: the loop ends it
  EXPECT_EQ(g_reports, Reports{});
  EXPECT_EQ(updater.GetState(), kStopped);
}

}  // namespace
