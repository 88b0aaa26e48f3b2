#ifndef NET_DOWNLOAD_FILE_H_
#define NET_DOWNLOAD_FILE_H_

#include <windows.h>

#include <string>

#include "base/win/scoped_handle.h"

// The file a response body is written to, chunk by chunk as it arrives. Held open without
// sharing for the whole transfer, so no other process reads it half written. Not thread
// safe; the request serialises calls under its lock.
class DownloadFile {
 public:
  // Creates |path|, or opens it and cuts it to zero length: partial downloads are never
  // resumed. Returns the mapped platform error on failure (nothing is left open then).
  HRESULT Open(const std::wstring& path);

  // Appends |count| bytes at the current position; a short write is a failure.
  HRESULT Write(const void* bytes, DWORD count);

  void Close() { handle.reset(); }
  bool IsOpen() const { return handle.IsValid(); }

 private:
  UniqueHandle handle;
};

// Removes the file at |path| (DeleteFileW); the mapped platform error on failure.
HRESULT DeleteDownloadFile(const std::wstring& path);

#endif  // NET_DOWNLOAD_FILE_H_
