#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "updater/random_index.h"

namespace {

TEST(RandomIndexTest, ValuesThatWouldBiasTheDrawAreRedrawn) {
  // For 3 the largest usable value is floor((2^64 - 1) / 3) * 3 - 1 = 2^64 - 2.
  std::vector<uint64_t> script = {UINT64_MAX, UINT64_MAX, UINT64_MAX - 1};
  size_t next = 0;
  const auto source = [&] { return script[next++]; };
  EXPECT_EQ(RandomIndexBelow(3, source), (UINT64_MAX - 1) % 3);
  EXPECT_EQ(next, 3u);

  // The bound also drops the last whole block below 2^64 (here 2^64 - 4 and up).
  script = {UINT64_MAX - 3, UINT64_MAX - 4};
  next = 0;
  EXPECT_EQ(RandomIndexBelow(4, source), 3u);
  EXPECT_EQ(next, 2u);
}

TEST(RandomIndexTest, PlatformSourceCoversEveryIndex) {
  std::set<uint64_t> seen;
  for (int i = 0; i < 200; ++i) {
    const uint64_t index = RandomIndexBelow(5);
    ASSERT_LT(index, 5u);
    seen.insert(index);
  }
  EXPECT_EQ(seen.size(), 5u);
}

}  // namespace
