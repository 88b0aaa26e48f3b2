#include "installer/chunk_hasher.h"

#include <system_error>

ChunkHasher::ChunkHasher(size_t chunkBytes) {
  // Not zeroed: every byte hashed is read in first.
  for (auto& buffer : buffers)
    buffer = std::make_unique_for_overwrite<uint8_t[]>(chunkBytes);
  try {
    thread = std::thread(&ChunkHasher::HashChunks, this);
  } catch (const std::system_error&) {
    // No thread: Add hashes on the caller's thread instead, which is only slower.
  }
}

ChunkHasher::~ChunkHasher() {
  Stop();
}

uint8_t* ChunkHasher::Next() {
  std::unique_lock<std::mutex> hold(lock);
  // The buffer comes round again after kBuffers chunks; the oldest of them must be done.
  changed.wait(hold, [this] { return added - hashed < kBuffers; });
  return buffers[static_cast<size_t>(added % kBuffers)].get();
}

void ChunkHasher::Add(size_t length) {
  const size_t slot = static_cast<size_t>(added % kBuffers);
  lengths[slot] = length;
  if (!thread.joinable()) {
    hasher.Update(buffers[slot].get(), length);
    ++added;
    ++hashed;
    return;
  }
  {
    std::lock_guard<std::mutex> hold(lock);
    ++added;
  }
  changed.notify_all();
}

std::vector<uint8_t> ChunkHasher::Finish() {
  Stop();
  return hasher.Finish();
}

void ChunkHasher::HashChunks() {
  std::unique_lock<std::mutex> hold(lock);
  for (;;) {
    changed.wait(hold, [this] { return hashed < added || stopping; });
    if (hashed == added)
      return;
    const size_t slot = static_cast<size_t>(hashed % kBuffers);
    hold.unlock();
    hasher.Update(buffers[slot].get(), lengths[slot]);
    hold.lock();
    ++hashed;
    changed.notify_all();
  }
}

void ChunkHasher::Stop() {
  if (!thread.joinable())
    return;
  {
    std::lock_guard<std::mutex> hold(lock);
    stopping = true;
  }
  changed.notify_all();
  thread.join();
}
