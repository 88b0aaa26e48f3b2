#include "installer/embedded_resource.h"

#include <memory>
#include <string>

#include "base/win/scoped_handle.h"

namespace {

constexpr DWORD kCopyChunkBytes = 1 << 20;
constexpr DWORD kModulePathUnits = 32768;

// Where |size| bytes at |bytes| of |module|'s mapped image lie in its file; false when they do
// not lie within one section's file data.
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

// Opens |module|'s own file for reading at |offset|; an invalid handle when it cannot.
UniqueHandle OpenModuleFileAt(HMODULE module, LONGLONG offset) {
  auto path = std::make_unique<wchar_t[]>(kModulePathUnits);
  const DWORD length = ::GetModuleFileNameW(module, path.get(), kModulePathUnits);
  if (length == 0 || length >= kModulePathUnits)
    return UniqueHandle();
  UniqueHandle file(::CreateFileW(path.get(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER position;
  position.QuadPart = offset;
  if (file && !::SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN))
    file.reset();
  return file;
}

// Copies |size| bytes from |source| to |target| in chunks.
bool CopyChunks(HANDLE source, HANDLE target, DWORD size) {
  auto buffer = std::make_unique<BYTE[]>(kCopyChunkBytes);
  for (DWORD left = size; left > 0;) {
    const DWORD chunk = left < kCopyChunkBytes ? left : kCopyChunkBytes;
    DWORD read = 0;
    DWORD written = 0;
    if (!::ReadFile(source, buffer.get(), chunk, &read, nullptr) || read != chunk ||
        !::WriteFile(target, buffer.get(), chunk, &written, nullptr) || written != chunk) {
      return false;
    }
    left -= chunk;
  }
  return true;
}

}  // namespace

EmbeddedResource::EmbeddedResource(const wchar_t* name, const wchar_t* type, HMODULE module)
    : resource(::FindResourceW(module, name, type)), module(module) {}

uint32_t EmbeddedResource::Size() const {
  return resource ? ::SizeofResource(module, resource) : 0;
}

bool EmbeddedResource::WriteToFile(const wchar_t* path) const {
  if (!resource)
    return false;
  HGLOBAL loaded = ::LoadResource(module, resource);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes)
    return false;
  UniqueHandle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return false;
  const DWORD size = Size();
  // Read from the module's file rather than its mapped image: the copy then goes through the
  // file cache in large chunks instead of faulting the image in page by page. When the file
  // cannot be read, one write straight from the resource memory does the same.
  LONGLONG offset = 0;
  UniqueHandle source;
  if (FileOffsetInModule(module, bytes, size, &offset))
    source = OpenModuleFileAt(module, offset);
  DWORD written = 0;
  // A short write is a failure too: the mini installer would be cut. Closing is part of the
  // result (it may flush the last bytes).
  const bool copied =
      source ? CopyChunks(source.get(), file.get(), size)
             : ::WriteFile(file.get(), bytes, size, &written, nullptr) && written == size;
  const bool complete = copied && ::CloseHandle(file.release());
  if (!complete) {
    // Nobody may take a cut program for the mini installer: what was written goes.
    file.reset();
    ::DeleteFileW(path);
  }
  return complete;
}
