#include "installer/ui/dpi_awareness.h"

#include "base/win/debug_output.h"
#include "base/win/system_library.h"

namespace {

// DPI_AWARENESS_CONTEXT values; the type is a handle in the platform's headers.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
// PROCESS_PER_MONITOR_DPI_AWARE of shcore.dll.
constexpr int kProcessPerMonitorAware = 2;

using SetContextFunction = BOOL(WINAPI*)(HANDLE);
using SetAwarenessFunction = HRESULT(WINAPI*)(int);

template <typename Function>
Function User32Function(const char* name) {
  return GetSystemFunction<Function>(L"user32.dll", name);
}

// shcore.dll exists from Windows 8.1 on.
template <typename Function>
Function ShcoreFunction(const char* name) {
  return GetSystemFunction<Function>(L"shcore.dll", name);
}

}  // namespace

void DeclarePerMonitorDpiAwareness() {
  // SetProcessDpiAwarenessContext exists where v2 does; v1 alone is offered by shcore.
  if (const auto setContext = User32Function<SetContextFunction>("SetProcessDpiAwarenessContext")) {
    if (setContext(kPerMonitorAwareV2))
      return;
  }
  if (const auto setAwareness = ShcoreFunction<SetAwarenessFunction>("SetProcessDpiAwareness")) {
    if (SUCCEEDED(setAwareness(kProcessPerMonitorAware))) {
      WriteDebugLine("Display scale: per-monitor awareness v1.\n");
      return;
    }
  }
  WriteDebugLine("Display scale: system awareness only.\n");
  ::SetProcessDPIAware();
}
