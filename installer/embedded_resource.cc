#include "installer/embedded_resource.h"

#include "base/win/scoped_handle.h"

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
  DWORD written = 0;
  // A short write is a failure too: the mini installer would be cut. Closing is part of the
  // result (it may flush the last bytes).
  const bool complete = ::WriteFile(file.get(), bytes, size, &written, nullptr) &&
                        written == size && ::CloseHandle(file.release());
  if (!complete) {
    // Nobody may take a cut program for the mini installer: what was written goes.
    file.reset();
    ::DeleteFileW(path);
  }
  return complete;
}
