#include "updater/random_index.h"

#include <limits>

#include "base/win/secure_random.h"

namespace {

// A source that fails leaves 0, which still gives a valid index.
uint64_t NextSecureRandom() {
  uint64_t value = 0;
  if (!FillSecureRandom(&value, sizeof(value)))
    value = 0;
  return value;
}

}  // namespace

uint64_t RandomIndexBelow(uint64_t count, const std::function<uint64_t()>& nextRandom) {
  // Values at or above the largest multiple of |count| would favour the low indices.
  const uint64_t limit = std::numeric_limits<uint64_t>::max() / count * count - 1;
  uint64_t value = nextRandom();
  while (value > limit)
    value = nextRandom();
  return value % count;
}

uint64_t RandomIndexBelow(uint64_t count) {
  return RandomIndexBelow(count, NextSecureRandom);
}
