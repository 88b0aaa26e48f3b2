#include "base/win/temp_file_path.h"

#include <windows.h>

std::wstring TempFilePath(std::wstring_view fileName) {
  wchar_t folder[MAX_PATH] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH, folder);
  if (length == 0 || length >= MAX_PATH)
    return std::wstring();
  std::wstring path(folder, length);
  if (path.back() != L'\\')
    path += L'\\';
  return path.append(fileName);
}
