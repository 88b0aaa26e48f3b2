#include "installer/single_instance.h"

#include "base/win/instance_mutex.h"
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
  first = ClaimInstanceMutex(kMutexName, &mutex);
}
