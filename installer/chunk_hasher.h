#ifndef INSTALLER_CHUNK_HASHER_H_
#define INSTALLER_CHUNK_HASHER_H_

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/win/scoped_handle.h"
#include "base/sha256.h"

// The SHA-256 of a stream of chunks, computed on a thread of its own while the caller copies
// the next chunk, so that a copy costs about the slower of copying and hashing, not both.
// The caller fills the buffer Next() returns, hands it over with Add(), may go on reading
// it (to write it out) and never changes it again. Used from one thread; when the hashing
// thread cannot be started, Add() hashes at once.
class ChunkHasher {
 public:
  explicit ChunkHasher(size_t chunkBytes);
  // Stops the hashing thread after the chunks handed over so far.
  ~ChunkHasher();
  ChunkHasher(const ChunkHasher&) = delete;
  ChunkHasher& operator=(const ChunkHasher&) = delete;

  // A buffer of chunkBytes for the next chunk; waits while that buffer is still being hashed.
  uint8_t* Next();
  // Hands the buffer of the last Next(), holding |length| bytes, to the hasher.
  void Add(size_t length);
  // Waits until every chunk is hashed and returns the digest of all of them, in order. Call
  // once, last.
  std::vector<uint8_t> Finish();

 private:
  static constexpr size_t kBuffers = 3;

  static DWORD WINAPI ThreadMain(void* self);
  void HashChunks();
  void Stop();

  std::unique_ptr<uint8_t[]> buffers[kBuffers];
  size_t lengths[kBuffers] = {};
  Sha256Hasher hasher;
  // A slim lock and condition: waits without a kernel object (a server call under Wine).
  SRWLOCK lock = SRWLOCK_INIT;
  CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
  uint64_t added = 0;   // chunks handed over
  uint64_t hashed = 0;  // chunks hashed, in order
  bool stopping = false;
  UniqueHandle thread;
};

#endif  // INSTALLER_CHUNK_HASHER_H_
