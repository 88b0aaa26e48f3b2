#include "base/win/instance_mutex.h"

#include <windows.h>

#include "base/win/debug_output.h"

bool ClaimInstanceMutex(const wchar_t* name, UniqueHandle* held) {
  UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, name));
  const DWORD error = ::GetLastError();
  if (!mutex) {
    WriteDebugLineF("Cannot create the instance mutex: %lu.\n", static_cast<unsigned long>(error));
    return true;
  }
  if (error == ERROR_ALREADY_EXISTS)
    return false;
  *held = std::move(mutex);
  return true;
}
