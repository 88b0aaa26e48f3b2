// The payload of the payload benchmark: writes the moment it started, in nanoseconds since
// 1970 on the same clock as Linux's, to the file named by ORBAVINTEL_PAYLOAD_CLOCK, then ends.
// The benchmark pads this program to the size of the real mini installer.

#include <windows.h>

#include <cstdio>

int wmain() {
  FILETIME now = {};
  ::GetSystemTimePreciseAsFileTime(&now);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  constexpr unsigned long long kTicksFrom1601To1970 = 116444736000000000ull;
  const unsigned long long nanoseconds = (ticks - kTicksFrom1601To1970) * 100;

  wchar_t path[MAX_PATH] = {};
  if (!::GetEnvironmentVariableW(L"ORBAVINTEL_PAYLOAD_CLOCK", path, MAX_PATH))
    return 1;
  FILE* out = _wfopen(path, L"w");
  if (!out)
    return 1;
  std::fprintf(out, "%llu\n", nanoseconds);
  std::fclose(out);
  return 0;
}
