#include "base/win/secure_random.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "base/win/system_library.h"

namespace {

// RtlGenRandom, exported by advapi32 as SystemFunction036 and declared by no header that
// every toolchain ships, so it is looked up once by name.
using GenRandomFunction = BOOLEAN(WINAPI*)(PVOID buffer, ULONG length);

GenRandomFunction GetGenRandom() {
  static const GenRandomFunction function =
      GetSystemFunction<GenRandomFunction>(L"advapi32.dll", "SystemFunction036");
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
