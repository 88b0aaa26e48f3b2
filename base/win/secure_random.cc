#include "base/win/secure_random.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace {

// RtlGenRandom, exported by advapi32 as SystemFunction036 and declared by no header that
// every toolchain ships, so it is looked up once by name.
using GenRandomFunction = BOOLEAN(WINAPI*)(PVOID buffer, ULONG length);

GenRandomFunction GetGenRandom() {
  static const GenRandomFunction function = [] {
    HMODULE advapi = ::GetModuleHandleW(L"advapi32.dll");
    if (!advapi)
      advapi = ::LoadLibraryExW(L"advapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return reinterpret_cast<GenRandomFunction>(
        advapi ? reinterpret_cast<void*>(::GetProcAddress(advapi, "SystemFunction036")) : nullptr);
  }();
  return function;
}

}  // namespace

bool FillSecureRandom(void* buffer, size_t length) {
  const GenRandomFunction genRandom = GetGenRandom();
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (length > 0) {
    const ULONG part = static_cast<ULONG>(std::min<size_t>(length, ULONG_MAX));
    if (!genRandom || !genRandom(bytes, part))
      return false;
    bytes += part;
    length -= part;
  }
  return true;
}
