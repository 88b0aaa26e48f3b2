#ifndef BASE_SHA256_H_
#define BASE_SHA256_H_

#include <cstddef>
#include <cstdint>
#include <vector>

// An incremental hash; after Finish it starts over, so one object may digest several
// messages in turn. One thread at a time.
class Hasher {
 public:
  virtual ~Hasher() = default;

  // Adds |length| bytes at |data| to the message. |data| may be null when |length| is 0.
  virtual void Update(const void* data, size_t length) = 0;

  // Completes the message and returns DigestSize() bytes. The hasher then starts over with
  // an empty message.
  virtual std::vector<uint8_t> Finish() = 0;

  virtual size_t DigestSize() const = 0;
};

// Which compression function a Sha256Hasher runs. Both give identical digests.
enum class Sha256Engine {
  kFastest,   // the x86 SHA extensions when the processor has them, else portable code
  kPortable,  // plain C++ on every processor
};

// SHA-256 as FIPS 180-4 defines it; the digest is the eight state words big-endian.
class Sha256Hasher final : public Hasher {
 public:
  static constexpr size_t kDigestBytes = 32;
  static constexpr size_t kBlockBytes = 64;

  // Uses the process default engine (see SetDefaultSha256Engine).
  Sha256Hasher();
  explicit Sha256Hasher(Sha256Engine engine);

  void Update(const void* data, size_t length) override;
  std::vector<uint8_t> Finish() override;
  size_t DigestSize() const override { return kDigestBytes; }

  // Whether this hasher runs the SHA extensions rather than the portable code.
  bool UsesShaExtensions() const;

  // Compresses |blockCount| consecutive 64-byte blocks into |state|.
  using BlockFunction = void (*)(uint32_t state[8], const uint8_t* blocks, size_t blockCount);

 private:
  void Reset();

  BlockFunction compress;
  uint64_t byteCount = 0;
  uint8_t block[kBlockBytes] = {};
  uint32_t state[8] = {};
};

// True when this processor has the SHA extensions (and SSSE3 and SSE4.1, which the
// compression also uses). Detected once, with CPUID; always false on other processors.
bool CpuHasShaExtensions();

// The engine that default-constructed Sha256Hasher objects use; kFastest unless changed.
// For tests and benchmarks that need the portable code under a caller's digests. Any thread.
void SetDefaultSha256Engine(Sha256Engine engine);
Sha256Engine GetDefaultSha256Engine();

#endif  // BASE_SHA256_H_
