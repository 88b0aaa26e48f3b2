#include "base/win/process_handle.h"

ProcessHandle::ProcessHandle(HANDLE process) {
  // The pseudo handle is not ours to close.
  if (process != ::GetCurrentProcess())
    handle.reset(process);
}
