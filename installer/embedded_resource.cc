#include "installer/embedded_resource.h"

#include <memory>
#include <string>
#include <utility>

#include "base/sha256.h"
#include "base/win/debug_output.h"
#include "base/win/module_path.h"
#include "base/win/scoped_handle.h"
#include "installer/chunk_hasher.h"

namespace {

constexpr DWORD kCopyChunkBytes = 1 << 20;

// How a copy from the module's file ended.
enum class FileCopy {
  kWritten,    // complete, and proven to be the embedded bytes
  kNotProven,  // the file could not be read as the embedded bytes: nothing is left written
  kFailed,     // the target could not be created or written: nothing is left written
};

// Where |size| bytes at |bytes| of |module|'s mapped image lie in its file; false when they do
// not lie within one section's file data. Bytes appended after the last section (a signature's
// certificate table) move nothing.
bool FileOffsetInModule(HMODULE module, const void* bytes, DWORD size, LONGLONG* offset) {
  // A module mapped as a data file has its low bits set; only real images are handled.
  if (reinterpret_cast<uintptr_t>(module) & 3)
    return false;
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const uintptr_t rva = static_cast<uintptr_t>(static_cast<const BYTE*>(bytes) - base);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    const uintptr_t start = section->VirtualAddress;
    if (rva >= start && rva - start + size <= section->SizeOfRawData) {
      *offset = static_cast<LONGLONG>(section->PointerToRawData + (rva - start));
      return true;
    }
  }
  return false;
}

// Opens the file now at |module|'s path for reading at |offset|; an invalid handle when it
// cannot. Windows lets a running program's file be renamed, so this need not be the file the
// module was mapped from.
UniqueHandle OpenModuleFileAt(HMODULE module, LONGLONG offset) {
  const std::wstring path = GetModulePath(module);
  if (path.empty())
    return UniqueHandle();
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER position;
  position.QuadPart = offset;
  if (file && !::SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN))
    file.reset();
  return file;
}

UniqueHandle CreateTarget(const wchar_t* path) {
  return UniqueHandle(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Ends a write to |path|: closes |file| when the bytes are |complete| (closing is part of the
// result: it may flush the last bytes), else, or when the close fails, deletes what was
// written, so that nobody takes a cut or foreign program for the mini installer.
bool FinishTarget(UniqueHandle file, const wchar_t* path, bool complete) {
  if (complete && ::CloseHandle(file.release()))
    return true;
  file.reset();
  ::DeleteFileW(path);
  return false;
}

// Copies |size| bytes from |source| to |target| in chunks, hashing exactly the bytes written.
FileCopy CopyChunks(HANDLE source, HANDLE target, DWORD size, const std::vector<uint8_t>& sha256) {
  ChunkHasher hasher(size < kCopyChunkBytes ? size : kCopyChunkBytes);
  for (DWORD left = size; left > 0;) {
    const DWORD chunk = left < kCopyChunkBytes ? left : kCopyChunkBytes;
    uint8_t* buffer = hasher.Next();
    DWORD read = 0;
    if (!::ReadFile(source, buffer, chunk, &read, nullptr) || read != chunk)
      return FileCopy::kNotProven;
    hasher.Add(chunk);
    DWORD written = 0;
    if (!::WriteFile(target, buffer, chunk, &written, nullptr) || written != chunk)
      return FileCopy::kFailed;
    left -= chunk;
  }
  return hasher.Finish() == sha256 ? FileCopy::kWritten : FileCopy::kNotProven;
}

// Copies the resource at |bytes| to |path| from |module|'s file, which goes through the file
// cache in large chunks instead of faulting the image in page by page.
FileCopy CopyFromModuleFile(HMODULE module,
                            std::string_view bytes,
                            const wchar_t* path,
                            const std::vector<uint8_t>& sha256) {
  const DWORD size = static_cast<DWORD>(bytes.size());
  LONGLONG offset = 0;
  if (sha256.size() != Sha256Hasher::kDigestBytes ||
      !FileOffsetInModule(module, bytes.data(), size, &offset)) {
    return FileCopy::kNotProven;
  }
  UniqueHandle source = OpenModuleFileAt(module, offset);
  if (!source)
    return FileCopy::kNotProven;
  UniqueHandle file = CreateTarget(path);
  if (!file)
    return FileCopy::kFailed;
  FileCopy result = CopyChunks(source.get(), file.get(), size, sha256);
  if (!FinishTarget(std::move(file), path, result == FileCopy::kWritten) &&
      result == FileCopy::kWritten) {
    result = FileCopy::kFailed;
  }
  if (result == FileCopy::kNotProven)
    WriteDebugLine("Payload in the program's file differs from the running image.\n");
  return result;
}

// Writes |bytes| to |path| in one write from the resource memory.
bool WriteFromImage(std::string_view bytes, const wchar_t* path) {
  UniqueHandle file = CreateTarget(path);
  if (!file)
    return false;
  const DWORD size = static_cast<DWORD>(bytes.size());
  DWORD written = 0;
  // A short write is a failure too: the mini installer would be cut.
  const bool complete =
      ::WriteFile(file.get(), bytes.data(), size, &written, nullptr) && written == size;
  return FinishTarget(std::move(file), path, complete);
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

bool EmbeddedResource::WriteToFile(const wchar_t* path, const std::vector<uint8_t>& sha256) const {
  const std::string_view bytes = Bytes();
  if (!bytes.data())
    return false;
  switch (CopyFromModuleFile(module, bytes, path, sha256)) {
    case FileCopy::kWritten:
      return true;
    case FileCopy::kFailed:
      return false;
    case FileCopy::kNotProven:
      break;
  }
  return WriteFromImage(bytes, path);
}
