// A stand-in for the browser's update package: it records how it was started and ends.
//
// One JSON line is appended to the file named by the environment variable
// ORBAVINTEL_STAND_IN_RECORD, or else to "<this program>.record.json" beside it:
//   {"command_line": ..., "cwd": ..., "elevated": true|false, "elevation_type": 1|2|3,
//    "error_mode": N}
// "elevated" is the token's elevation; elevation_type is TOKEN_ELEVATION_TYPE (2 = full
// token, as the "runas" verb gives; 3 = limited, as an ordinary start gives). Wine gives
// every process a full token, so there the starter's own log tells the two apart. error_mode is
// the process's error mode at its start, which a starter passes on unless it asks otherwise.
// ORBAVINTEL_STAND_IN_EXIT_CODE sets the exit code (default 0).
// ORBAVINTEL_STAND_IN_PROBE_HANDLE, a decimal handle value of a signalled event in the
// starter, adds "probed_handle_signalled": whether that value names a signalled object here,
// which it does only when the handle was inherited.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/win/scoped_handle.h"
#include "base/win/text_conversion.h"

namespace {

std::string JsonQuote(const std::string& text) {
  std::string quoted = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\u%04x", c);
      quoted += escape;
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + "\"";
}

std::wstring RecordPath() {
  wchar_t fromEnvironment[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"ORBAVINTEL_STAND_IN_RECORD", fromEnvironment, MAX_PATH))
    return fromEnvironment;
  wchar_t program[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  return std::wstring(program) + L".record.json";
}

void ReadElevation(bool* elevated, int* elevationType) {
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Receive()))
    return;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  if (::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size))
    *elevated = elevation.TokenIsElevated != 0;
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  if (::GetTokenInformation(token.get(), TokenElevationType, &type, sizeof(type), &size))
    *elevationType = static_cast<int>(type);
}

std::string ProbeHandleField() {
  wchar_t value[32] = {};
  if (!::GetEnvironmentVariableW(L"ORBAVINTEL_STAND_IN_PROBE_HANDLE", value, 32))
    return std::string();
  const HANDLE handle =
      reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::wcstoull(value, nullptr, 10)));
  const bool signalled = ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
  return std::string(", \"probed_handle_signalled\": ") + (signalled ? "true" : "false");
}

}  // namespace

int wmain() {
  wchar_t directory[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, directory);
  bool elevated = false;
  int elevationType = 0;
  ReadElevation(&elevated, &elevationType);

  const std::string line = "{\"command_line\": " + JsonQuote(WideToUtf8(::GetCommandLineW())) +
                           ", \"cwd\": " + JsonQuote(WideToUtf8(directory)) +
                           ", \"elevated\": " + (elevated ? "true" : "false") +
                           ", \"elevation_type\": " + std::to_string(elevationType) +
                           ", \"error_mode\": " + std::to_string(::GetErrorMode()) +
                           ProbeHandleField() + "}\n";
  UniqueHandle record(::CreateFileW(RecordPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (record)
    ::WriteFile(record.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);

  wchar_t exitCode[16] = {};
  if (::GetEnvironmentVariableW(L"ORBAVINTEL_STAND_IN_EXIT_CODE", exitCode, 16))
    return std::wcstol(exitCode, nullptr, 10);
  return 0;
}
