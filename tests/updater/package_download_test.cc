#include <gtest/gtest.h>

#include "updater/browser_updater.h"

namespace {

TEST(DownloadPercentTest, RisesWithoutWrappingForLargePackages) {
  const uint32_t total = 60000000;
  uint32_t previous = 0;
  for (uint32_t received = 0; received <= total; received += 8096) {
    const uint32_t percent = DownloadPercent(received, total);
    ASSERT_GE(percent, previous) << received;
    previous = percent;
  }
  EXPECT_EQ(DownloadPercent(total, total), 100u);
  EXPECT_EQ(DownloadPercent(4294967295u, 4294967295u), 100u);
  EXPECT_EQ(DownloadPercent(2147483648u, 4294967295u), 50u);
}

TEST(DownloadPercentTest, EdgeTotals) {
  EXPECT_EQ(DownloadPercent(0, 0), 0u);
  EXPECT_EQ(DownloadPercent(500, 0), 0u);
  // A server that sends more than it announced does not push the strip past the end.
  EXPECT_EQ(DownloadPercent(300, 100), 100u);
  // No announced length arrives as 0xFFFFFFFF.
  EXPECT_EQ(DownloadPercent(1000000, 0xFFFFFFFFu), 0u);
}

}  // namespace
