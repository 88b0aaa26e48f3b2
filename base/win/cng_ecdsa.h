#ifndef BASE_WIN_CNG_ECDSA_H_
#define BASE_WIN_CNG_ECDSA_H_

#include <cstdint>
#include <span>

enum class SignatureCheck {
  kValid,
  kInvalid,
  // The platform's cryptography could not be loaded or refused the key: nothing verified.
  kUnavailable,
};

// Whether |signature| (r then s, 32 bytes each, big-endian) is an ECDSA P-256 signature of
// the SHA-256 |digest| by the public point (|x|, |y|), as the platform's CNG judges it.
// bcrypt.dll is loaded from the system folder on first use (never linked, never from the
// program's folder) and kept for the life of the process. Any thread.
SignatureCheck VerifyEcdsaP256(std::span<const uint8_t, 32> x,
                               std::span<const uint8_t, 32> y,
                               std::span<const uint8_t, 32> digest,
                               std::span<const uint8_t, 64> signature);

#endif  // BASE_WIN_CNG_ECDSA_H_
