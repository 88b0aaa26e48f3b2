#include "installer/embedded_resource.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "base/win/debug_output.h"
#include "base/win/held_file.h"

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

// Removes whatever is at |path|, so that the payload goes into a file of its own: a read-only
// file loses the attribute first; a link goes, and the file it names stays as it is.
bool RemoveExisting(const wchar_t* path) {
  const DWORD attributes = ::GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  if ((attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    ::SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
  return ::DeleteFileW(path) != FALSE;
}

// Whether the file of |file| holds exactly |bytes|, read through |buffer| of kWriteChunkBytes.
bool HoldsBytes(HANDLE file, std::string_view bytes, char* buffer) {
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file, &size) || static_cast<uint64_t>(size.QuadPart) != bytes.size())
    return false;
  for (size_t done = 0; done < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kWriteChunkBytes));
    DWORD read = 0;
    if (!::ReadFile(file, buffer, chunk, &read, nullptr) || read != chunk ||
        std::memcmp(buffer, bytes.data() + done, chunk) != 0) {
      return false;
    }
    done += chunk;
  }
  return true;
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

UniqueHandle EmbeddedResource::WriteHeldCopy(const wchar_t* path) const {
  const std::string_view bytes = Bytes();
  if (!bytes.data())
    return UniqueHandle();
  // Before anything is touched, so that running out of memory leaves no file behind.
  const std::unique_ptr<char[]> buffer(new (std::nothrow) char[kWriteChunkBytes]);
  if (!buffer || !RemoveExisting(path))
    return UniqueHandle();
  // CREATE_NEW: a file that appeared since the removal is never written through either.
  UniqueHandle file(
      ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return UniqueHandle();
  // Through one buffer, a chunk at a time: no single write has to fault in the whole mapped
  // image, and this measured faster than one write straight from it (bench/payload).
  for (size_t done = 0; done < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kWriteChunkBytes));
    std::memcpy(buffer.get(), bytes.data() + done, chunk);
    DWORD written = 0;
    // A short write is a failure too: the mini installer would be cut.
    if (!::WriteFile(file.get(), buffer.get(), chunk, &written, nullptr) || written != chunk) {
      FinishTarget(std::move(file), path, false);
      return UniqueHandle();
    }
    done += chunk;
  }
  if (!FinishTarget(std::move(file), path, true))
    return UniqueHandle();
  // Starting a program needs a handle that shares reading only, so the file is closed and
  // opened again; between the two another process of the user could change it.
  UniqueHandle held = HoldFile(path);
  if (!held || !HoldsBytes(held.get(), bytes, buffer.get())) {
    WriteDebugLine("The payload file was changed before it could be held.\n");
    return UniqueHandle();
  }
  return held;
}
