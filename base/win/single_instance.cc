#include "base/win/single_instance.h"

#include <windows.h>

#include "base/win/debug_output.h"

SingleInstance::SingleInstance(const wchar_t* windowClass, const wchar_t* mutexName) {
  if (::FindWindowW(windowClass, nullptr)) {
    first = false;
    return;
  }
  UniqueHandle created(::CreateMutexW(nullptr, FALSE, mutexName));
  const DWORD error = ::GetLastError();
  if (!created) {
    WriteDebugLineF("Cannot create the instance mutex: %lu.\n", static_cast<unsigned long>(error));
    return;
  }
  if (error == ERROR_ALREADY_EXISTS) {
    first = false;
    return;
  }
  mutex = std::move(created);
}
