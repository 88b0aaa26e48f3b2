#ifndef BASE_SHA256_BLOCKS_H_
#define BASE_SHA256_BLOCKS_H_

#include <cstddef>
#include <cstdint>

// The SHA-256 compression functions behind Sha256Hasher. Each one compresses |blockCount|
// consecutive 64-byte blocks at |blocks| into |state| (A to H, in that order).

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#define ORBAVINTEL_SHA256_X86 1
#else
#define ORBAVINTEL_SHA256_X86 0
#endif

// The 64 round constants: the first 32 bits of the fractional parts of the cube roots of
// the first 64 primes.
extern const uint32_t kSha256RoundConstants[64];

// Plain C++; runs everywhere.
void Sha256BlocksPortable(uint32_t state[8], const uint8_t* blocks, size_t blockCount);

#if ORBAVINTEL_SHA256_X86
// The x86 SHA extensions. Only call it when CpuHasShaExtensions() is true: on another
// processor it faults with an illegal instruction.
void Sha256BlocksShaNi(uint32_t state[8], const uint8_t* blocks, size_t blockCount);
#endif

#endif  // BASE_SHA256_BLOCKS_H_
