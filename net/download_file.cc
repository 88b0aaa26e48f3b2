#include "net/download_file.h"

#include "net/http_result.h"

HRESULT DownloadFile::Open(const std::wstring& path) {
  Close();
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid())
    return LastErrorResult();
  if (::SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
      !::SetEndOfFile(file.get())) {
    return LastErrorResult();
  }
  handle = std::move(file);
  return S_OK;
}

HRESULT DownloadFile::Write(const void* bytes, DWORD count) {
  DWORD written = 0;
  if (!::WriteFile(handle.get(), bytes, count, &written, nullptr))
    return LastErrorResult();
  if (written != count)
    return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
  return S_OK;
}

HRESULT DeleteDownloadFile(const std::wstring& path) {
  if (!::DeleteFileW(path.c_str()))
    return LastErrorResult();
  return S_OK;
}
