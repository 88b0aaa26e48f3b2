#include "updater/random_index.h"

#include <windows.h>

#include <limits>

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

uint64_t NextSecureRandom() {
  uint64_t value = 0;
  const GenRandomFunction genRandom = GetGenRandom();
  if (genRandom)
    genRandom(&value, sizeof(value));
  return value;
}

}  // namespace

uint64_t RandomIndexBelow(uint64_t count, const std::function<uint64_t()>& nextRandom) {
  // Values at or above the largest multiple of |count| would favour the low indices.
  const uint64_t limit = std::numeric_limits<uint64_t>::max() / count * count - 1;
  uint64_t value = nextRandom();
  while (value > limit)
    value = nextRandom();
  return value % count;
}

uint64_t RandomIndexBelow(uint64_t count) {
  return RandomIndexBelow(count, NextSecureRandom);
}
