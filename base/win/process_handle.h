#ifndef BASE_WIN_PROCESS_HANDLE_H_
#define BASE_WIN_PROCESS_HANDLE_H_

#include <windows.h>

#include "base/win/scoped_handle.h"

// Owns a handle to a started process, or nothing when the start failed. Closing the handle
// leaves the process running. Never holds the calling process's pseudo handle.
class ProcessHandle {
 public:
  ProcessHandle() = default;
  explicit ProcessHandle(HANDLE process);

  bool IsValid() const { return handle.IsValid(); }
  HANDLE get() const { return handle.get(); }
  void reset() { handle.reset(); }

 private:
  UniqueHandle handle;
};

#endif  // BASE_WIN_PROCESS_HANDLE_H_
