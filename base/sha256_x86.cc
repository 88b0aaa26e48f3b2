// SHA-256 compression with the x86 SHA extensions. GCC and Clang compile this file alone
// with -msha -msse4.1; nothing here may run before CpuHasShaExtensions() said yes.

#include "base/sha256_blocks.h"

#if ORBAVINTEL_SHA256_X86

#include <immintrin.h>

namespace {

// Four rounds. SHA256RNDS2 does two rounds on the state split as ABEF and CDGH and returns
// the new ABEF; the old ABEF is then the new CDGH, so two calls leave the halves where they
// started. |words| holds message words t..t+3.
inline void FourRounds(__m128i& abef, __m128i& cdgh, __m128i words, int t) {
  const __m128i constants =
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSha256RoundConstants + t));
  __m128i sums = _mm_add_epi32(words, constants);
  cdgh = _mm_sha256rnds2_epu32(cdgh, abef, sums);
  sums = _mm_shuffle_epi32(sums, 0x0E);  // words t+2 and t+3 into the low half
  abef = _mm_sha256rnds2_epu32(abef, cdgh, sums);
}

// Message words t..t+3 from the four groups before them:
// W[t] = sigma1(W[t-2]) + W[t-7] + sigma0(W[t-15]) + W[t-16].
inline __m128i NextWords(__m128i w0, __m128i w1, __m128i w2, __m128i w3) {
  const __m128i partial = _mm_sha256msg1_epu32(w0, w1);  // W[t-16] + sigma0(W[t-15])
  const __m128i withW7 = _mm_add_epi32(partial, _mm_alignr_epi8(w3, w2, 4));
  return _mm_sha256msg2_epu32(withW7, w3);  // + sigma1(W[t-2])
}

}  // namespace

void Sha256BlocksShaNi(uint32_t state[8], const uint8_t* blocks, size_t blockCount) {
  // Byte order within each 32-bit word: the message is big-endian.
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);

  // State words A..D and E..H as lanes 0..3; rearranged into ABEF and CDGH, highest lane
  // first, as SHA256RNDS2 expects them.
  __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
  const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
  const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

  for (; blockCount > 0; --blockCount, blocks += 64) {
    const __m128i savedAbef = abef;
    const __m128i savedCdgh = cdgh;
    const __m128i* input = reinterpret_cast<const __m128i*>(blocks);

    __m128i w0 = _mm_shuffle_epi8(_mm_loadu_si128(input), byteSwap);
    __m128i w1 = _mm_shuffle_epi8(_mm_loadu_si128(input + 1), byteSwap);
    __m128i w2 = _mm_shuffle_epi8(_mm_loadu_si128(input + 2), byteSwap);
    __m128i w3 = _mm_shuffle_epi8(_mm_loadu_si128(input + 3), byteSwap);

    FourRounds(abef, cdgh, w0, 0);
    FourRounds(abef, cdgh, w1, 4);
    FourRounds(abef, cdgh, w2, 8);
    FourRounds(abef, cdgh, w3, 12);
    for (int t = 16; t < 64; t += 16) {
      w0 = NextWords(w0, w1, w2, w3);
      FourRounds(abef, cdgh, w0, t);
      w1 = NextWords(w1, w2, w3, w0);
      FourRounds(abef, cdgh, w1, t + 4);
      w2 = NextWords(w2, w3, w0, w1);
      FourRounds(abef, cdgh, w2, t + 8);
      w3 = NextWords(w3, w0, w1, w2);
      FourRounds(abef, cdgh, w3, t + 12);
    }

    abef = _mm_add_epi32(abef, savedAbef);
    cdgh = _mm_add_epi32(cdgh, savedCdgh);
  }

  // Back from ABEF and CDGH to A..D and E..H.
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  dcba = _mm_blend_epi16(feba, dchg, 0xF0);
  hgfe = _mm_alignr_epi8(dchg, feba, 8);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), dcba);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), hgfe);
}

#endif  // ORBAVINTEL_SHA256_X86
