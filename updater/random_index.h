#ifndef UPDATER_RANDOM_INDEX_H_
#define UPDATER_RANDOM_INDEX_H_

#include <cstdint>
#include <functional>

// A uniformly random index below |count| (which must not be 0), drawn from the platform's
// cryptographic random source without modulo bias. Any thread.
uint64_t RandomIndexBelow(uint64_t count);

// The same with a given source of 64-bit values, for tests of the rejection step.
uint64_t RandomIndexBelow(uint64_t count, const std::function<uint64_t()>& nextRandom);

#endif  // UPDATER_RANDOM_INDEX_H_
