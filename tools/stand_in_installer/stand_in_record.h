#ifndef TOOLS_STAND_IN_INSTALLER_STAND_IN_RECORD_H_
#define TOOLS_STAND_IN_INSTALLER_STAND_IN_RECORD_H_

#include <windows.h>

#include <string>

// Shared by the stand-in mini installer and the stand-in browser: steering by environment
// variables and a record file that tests read.

// The value of environment variable |name|, empty when unset.
inline std::wstring EnvironmentValue(const wchar_t* name) {
  wchar_t buffer[1024] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, buffer, 1024);
  return length > 0 && length < 1024 ? std::wstring(buffer, length) : std::wstring();
}

// Appends "|key|=|value|\n" in UTF-8 to the file named by ORBAVINTEL_STANDIN_RECORD, when
// that is set. Each line is one write, so concurrent writers do not interleave inside lines.
inline void AppendRecord(const std::wstring& key, const std::wstring& value) {
  const std::wstring path = EnvironmentValue(L"ORBAVINTEL_STANDIN_RECORD");
  if (path.empty())
    return;
  const std::wstring line = key + L"=" + value + L"\n";
  const int bytes =
      ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, text.data(), bytes, nullptr, nullptr);
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
}

#endif  // TOOLS_STAND_IN_INSTALLER_STAND_IN_RECORD_H_
