#ifndef UPDATER_ANSWER_KEY_H_
#define UPDATER_ANSWER_KEY_H_

#include <cstdint>

// A public key whose ECDSA P-256 signatures on update answers the updater accepts. The
// build turns its update keys into a table of these (cmake/update_keys.py).
struct AnswerKey {
  // The first 8 bytes of the SHA-256 of the key's DER SubjectPublicKeyInfo: how an answer's
  // signature header names the key.
  uint8_t id[8];
  // The public point, big-endian.
  uint8_t x[32];
  uint8_t y[32];
};

#endif  // UPDATER_ANSWER_KEY_H_
