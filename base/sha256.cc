#include "base/sha256.h"

#include <atomic>
#include <cstring>

#include "base/sha256_blocks.h"

#if ORBAVINTEL_SHA256_X86
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif
#endif

const uint32_t kSha256RoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

namespace {

// The first 32 bits of the fractional parts of the square roots of the first 8 primes.
constexpr uint32_t kInitialState[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

std::atomic<Sha256Engine> g_defaultEngine{Sha256Engine::kFastest};

inline uint32_t RotateRight(uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}

inline uint32_t LoadBigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline void StoreBigEndian32(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value >> 24);
  p[1] = static_cast<uint8_t>(value >> 16);
  p[2] = static_cast<uint8_t>(value >> 8);
  p[3] = static_cast<uint8_t>(value);
}

// Message word |t| of the block. From round 16 on, the 16-word window is overwritten in
// place, which is why the rounds must ask for the words in order.
inline uint32_t ScheduleWord(uint32_t w[16], int t) {
  if (t >= 16) {
    const uint32_t w15 = w[(t - 15) & 15];
    const uint32_t w2 = w[(t - 2) & 15];
    const uint32_t sigma0 = RotateRight(w15, 7) ^ RotateRight(w15, 18) ^ (w15 >> 3);
    const uint32_t sigma1 = RotateRight(w2, 17) ^ RotateRight(w2, 19) ^ (w2 >> 10);
    w[t & 15] += sigma0 + w[(t - 7) & 15] + sigma1;
  }
  return w[t & 15];
}

// One round. Rather than shifting the eight working variables along, the caller rotates
// their roles: the new A lands in |h| and the new E in |d|.
inline void Round(uint32_t a,
                  uint32_t b,
                  uint32_t c,
                  uint32_t& d,
                  uint32_t e,
                  uint32_t f,
                  uint32_t g,
                  uint32_t& h,
                  uint32_t constantPlusWord) {
  const uint32_t sum1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
  const uint32_t choose = g ^ (e & (f ^ g));
  const uint32_t t1 = h + sum1 + choose + constantPlusWord;
  const uint32_t sum0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
  const uint32_t majority = (a & b) | (c & (a | b));
  d += t1;
  h = t1 + sum0 + majority;
}

Sha256Hasher::BlockFunction PickBlockFunction(Sha256Engine engine) {
#if ORBAVINTEL_SHA256_X86
  if (engine == Sha256Engine::kFastest && CpuHasShaExtensions())
    return Sha256BlocksShaNi;
#endif
  return Sha256BlocksPortable;
}

#if ORBAVINTEL_SHA256_X86
void Cpuid(int leaf, int subleaf, unsigned registers[4]) {
#if defined(_MSC_VER)
  int values[4];
  __cpuidex(values, leaf, subleaf);
  for (int i = 0; i < 4; ++i)
    registers[i] = static_cast<unsigned>(values[i]);
#else
  if (!__get_cpuid_count(static_cast<unsigned>(leaf), static_cast<unsigned>(subleaf), &registers[0],
                         &registers[1], &registers[2], &registers[3])) {
    registers[0] = registers[1] = registers[2] = registers[3] = 0;
  }
#endif
}

bool DetectShaExtensions() {
  unsigned registers[4];  // EAX, EBX, ECX, EDX
  Cpuid(0, 0, registers);
  if (registers[0] < 7)
    return false;
  Cpuid(1, 0, registers);
  const bool ssse3 = (registers[2] & (1u << 9)) != 0;
  const bool sse41 = (registers[2] & (1u << 19)) != 0;
  Cpuid(7, 0, registers);
  const bool sha = (registers[1] & (1u << 29)) != 0;
  return ssse3 && sse41 && sha;
}
#endif

}  // namespace

void Sha256BlocksPortable(uint32_t state[8], const uint8_t* blocks, size_t blockCount) {
  for (; blockCount > 0; --blockCount, blocks += Sha256Hasher::kBlockBytes) {
    uint32_t w[16];
    for (int t = 0; t < 16; ++t)
      w[t] = LoadBigEndian32(blocks + 4 * t);

    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    const uint32_t* k = kSha256RoundConstants;
    for (int t = 0; t < 64; t += 8) {
      Round(a, b, c, d, e, f, g, h, k[t] + ScheduleWord(w, t));
      Round(h, a, b, c, d, e, f, g, k[t + 1] + ScheduleWord(w, t + 1));
      Round(g, h, a, b, c, d, e, f, k[t + 2] + ScheduleWord(w, t + 2));
      Round(f, g, h, a, b, c, d, e, k[t + 3] + ScheduleWord(w, t + 3));
      Round(e, f, g, h, a, b, c, d, k[t + 4] + ScheduleWord(w, t + 4));
      Round(d, e, f, g, h, a, b, c, k[t + 5] + ScheduleWord(w, t + 5));
      Round(c, d, e, f, g, h, a, b, k[t + 6] + ScheduleWord(w, t + 6));
      Round(b, c, d, e, f, g, h, a, k[t + 7] + ScheduleWord(w, t + 7));
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

bool CpuHasShaExtensions() {
#if ORBAVINTEL_SHA256_X86
  static const bool available = DetectShaExtensions();
  return available;
#else
  return false;
#endif
}

void SetDefaultSha256Engine(Sha256Engine engine) {
  g_defaultEngine.store(engine);
}

Sha256Engine GetDefaultSha256Engine() {
  return g_defaultEngine.load();
}

Sha256Hasher::Sha256Hasher() : Sha256Hasher(GetDefaultSha256Engine()) {}

Sha256Hasher::Sha256Hasher(Sha256Engine engine) : compress(PickBlockFunction(engine)) {
  Reset();
}

bool Sha256Hasher::UsesShaExtensions() const {
  return compress != Sha256BlocksPortable;
}

void Sha256Hasher::Reset() {
  byteCount = 0;
  std::memcpy(state, kInitialState, sizeof(state));
}

void Sha256Hasher::Update(const void* data, size_t length) {
  if (length == 0)
    return;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  size_t buffered = static_cast<size_t>(byteCount % kBlockBytes);
  byteCount += length;

  if (buffered > 0) {
    const size_t take = length < kBlockBytes - buffered ? length : kBlockBytes - buffered;
    std::memcpy(block + buffered, bytes, take);
    bytes += take;
    length -= take;
    buffered += take;
    if (buffered < kBlockBytes)
      return;
    compress(state, block, 1);
  }
  // Whole blocks straight from the caller's memory, in one call so the fast path keeps
  // its state in registers across them.
  const size_t wholeBlocks = length / kBlockBytes;
  if (wholeBlocks > 0) {
    compress(state, bytes, wholeBlocks);
    bytes += wholeBlocks * kBlockBytes;
    length -= wholeBlocks * kBlockBytes;
  }
  if (length > 0)
    std::memcpy(block, bytes, length);
}

std::vector<uint8_t> Sha256Hasher::Finish() {
  // Padding: a 1 bit, zeros up to 56 bytes into a block, then the bit length big-endian.
  const uint64_t bitLength = byteCount * 8;
  size_t buffered = static_cast<size_t>(byteCount % kBlockBytes);
  block[buffered++] = 0x80;
  if (buffered > kBlockBytes - 8) {
    std::memset(block + buffered, 0, kBlockBytes - buffered);
    compress(state, block, 1);
    buffered = 0;
  }
  std::memset(block + buffered, 0, kBlockBytes - 8 - buffered);
  StoreBigEndian32(block + 56, static_cast<uint32_t>(bitLength >> 32));
  StoreBigEndian32(block + 60, static_cast<uint32_t>(bitLength));
  compress(state, block, 1);

  std::vector<uint8_t> digest(kDigestBytes);
  for (size_t i = 0; i < 8; ++i)
    StoreBigEndian32(digest.data() + 4 * i, state[i]);
  Reset();
  return digest;
}
