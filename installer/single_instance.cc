#include "installer/single_instance.h"

#include "base/win/debug_output.h"
#include "installer/installer_window.h"

namespace {

// "Local\" keeps the rule per session, as the window search is per desktop.
constexpr wchar_t kMutexName[] = L"Local\\OrbavintelInstallerInstance";

}  // namespace

SingleInstance::SingleInstance() {
  if (::FindWindowW(kInstallerWindowClass, nullptr)) {
    first = false;
    return;
  }
  mutex.reset(::CreateMutexW(nullptr, FALSE, kMutexName));
  if (!mutex) {
    // Another kind of object squats on the name: the window search is all that is left.
    WriteDebugLineF("Fail create instance mutex (%lu).\n", ::GetLastError());
    return;
  }
  first = ::GetLastError() != ERROR_ALREADY_EXISTS;
}
