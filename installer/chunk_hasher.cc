#include "installer/chunk_hasher.h"

ChunkHasher::ChunkHasher(size_t chunkBytes) {
  // Not zeroed: every byte hashed is read in first.
  for (auto& buffer : buffers)
    buffer = std::make_unique_for_overwrite<uint8_t[]>(chunkBytes);
  // Without a thread Add hashes on the caller's thread instead, which is only slower.
  thread.reset(::CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
}

ChunkHasher::~ChunkHasher() {
  Stop();
}

uint8_t* ChunkHasher::Next() {
  ::AcquireSRWLockExclusive(&lock);
  // The buffer comes round again after kBuffers chunks; the oldest of them must be done.
  while (added - hashed >= kBuffers)
    ::SleepConditionVariableSRW(&changed, &lock, INFINITE, 0);
  ::ReleaseSRWLockExclusive(&lock);
  return buffers[static_cast<size_t>(added % kBuffers)].get();
}

void ChunkHasher::Add(size_t length) {
  const size_t slot = static_cast<size_t>(added % kBuffers);
  lengths[slot] = length;
  if (!thread) {
    hasher.Update(buffers[slot].get(), length);
    ++added;
    ++hashed;
    return;
  }
  ::AcquireSRWLockExclusive(&lock);
  ++added;
  ::ReleaseSRWLockExclusive(&lock);
  ::WakeAllConditionVariable(&changed);
}

std::vector<uint8_t> ChunkHasher::Finish() {
  Stop();
  return hasher.Finish();
}

DWORD WINAPI ChunkHasher::ThreadMain(void* self) {
  static_cast<ChunkHasher*>(self)->HashChunks();
  return 0;
}

void ChunkHasher::HashChunks() {
  ::AcquireSRWLockExclusive(&lock);
  for (;;) {
    while (hashed == added && !stopping)
      ::SleepConditionVariableSRW(&changed, &lock, INFINITE, 0);
    if (hashed == added)
      break;
    const size_t slot = static_cast<size_t>(hashed % kBuffers);
    ::ReleaseSRWLockExclusive(&lock);
    hasher.Update(buffers[slot].get(), lengths[slot]);
    ::AcquireSRWLockExclusive(&lock);
    ++hashed;
    ::WakeAllConditionVariable(&changed);
  }
  ::ReleaseSRWLockExclusive(&lock);
}

void ChunkHasher::Stop() {
  if (!thread)
    return;
  ::AcquireSRWLockExclusive(&lock);
  stopping = true;
  ::ReleaseSRWLockExclusive(&lock);
  ::WakeAllConditionVariable(&changed);
  ::WaitForSingleObject(thread.get(), INFINITE);
  thread.reset();
}
