#include "installer/embedded_resource.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "base/win/scoped_handle.h"

namespace {

constexpr DWORD kWriteChunkBytes = 1 << 20;

// Ends a write to |path|: closes |file| when the bytes are |complete| (closing is part of the
// result: it may flush the last bytes), else, or when the close fails, deletes what was
// written.
bool FinishTarget(UniqueHandle file, const wchar_t* path, bool complete) {
  if (complete && ::CloseHandle(file.release()))
    return true;
  file.reset();
  ::DeleteFileW(path);
  return false;
}

}  // namespace

EmbeddedResource::EmbeddedResource(const wchar_t* name, const wchar_t* type, HMODULE owner)
    : resource(::FindResourceW(owner, name, type)), module(owner) {}

uint32_t EmbeddedResource::Size() const {
  return resource ? ::SizeofResource(module, resource) : 0;
}

std::string_view EmbeddedResource::Bytes() const {
  HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes)
    return std::string_view();
  return std::string_view(static_cast<const char*>(bytes), Size());
}

bool EmbeddedResource::WriteToFile(const wchar_t* path) const {
  const std::string_view bytes = Bytes();
  if (!bytes.data())
    return false;
  // A file an earlier run left is written over and then cut to length: truncating it first
  // would free all its pages only to allocate them again.
  UniqueHandle file(
      ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return false;
  // Through a buffer, a chunk at a time: under Wine one write straight from the mapped image
  // costs several times as much, as the payload benchmark shows.
  const auto buffer = std::make_unique_for_overwrite<char[]>(kWriteChunkBytes);
  for (size_t done = 0; done < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kWriteChunkBytes));
    std::memcpy(buffer.get(), bytes.data() + done, chunk);
    DWORD written = 0;
    // A short write is a failure too: the mini installer would be cut.
    if (!::WriteFile(file.get(), buffer.get(), chunk, &written, nullptr) || written != chunk)
      return FinishTarget(std::move(file), path, false);
    done += chunk;
  }
  const bool cut = ::SetEndOfFile(file.get()) != FALSE;
  return FinishTarget(std::move(file), path, cut);
}
