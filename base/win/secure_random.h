#ifndef BASE_WIN_SECURE_RANDOM_H_
#define BASE_WIN_SECURE_RANDOM_H_

#include <cstddef>

// Fills |length| bytes at |buffer| from the platform's cryptographic random source
// (RtlGenRandom, advapi32's SystemFunction036). False when the source is missing or fails;
// the buffer's content is then not to be used. Any thread.
bool FillSecureRandom(void* buffer, size_t length);

#endif  // BASE_WIN_SECURE_RANDOM_H_
