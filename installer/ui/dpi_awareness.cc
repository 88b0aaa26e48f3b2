#include "installer/ui/dpi_awareness.h"

#include "base/win/debug_output.h"
#include "base/win/system_library.h"
#include "installer/ui/display_scale.h"

namespace {

// DPI_AWARENESS_CONTEXT values; the type is a handle in the platform's headers.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
// PROCESS_PER_MONITOR_DPI_AWARE and MDT_EFFECTIVE_DPI of shcore.dll.
constexpr int kProcessPerMonitorAware = 2;
constexpr int kEffectiveDpi = 0;

using SetContextFunction = BOOL(WINAPI*)(HANDLE);
using SetAwarenessFunction = HRESULT(WINAPI*)(int);
using DpiForWindowFunction = UINT(WINAPI*)(HWND);
using DpiForSystemFunction = UINT(WINAPI*)();
using DpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

template <typename Function>
Function User32Function(const char* name) {
  return GetSystemFunction<Function>(L"user32.dll", name);
}

// shcore.dll exists from Windows 8.1 on; kept loaded, as the process keeps asking it for
// monitor scales.
template <typename Function>
Function ShcoreFunction(const char* name) {
  static const HMODULE shcore = LoadSystemLibrary(L"shcore.dll");
  return GetLibraryFunction<Function>(shcore, name);
}

int SystemDpi() {
  if (const auto dpiForSystem = User32Function<DpiForSystemFunction>("GetDpiForSystem")) {
    if (const UINT dpi = dpiForSystem())
      return static_cast<int>(dpi);
  }
  const HDC screen = ::GetDC(nullptr);
  if (!screen)
    return DisplayScale::kBaseDpi;
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : DisplayScale::kBaseDpi;
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

int DpiOfWindow(HWND window) {
  if (const auto dpiForWindow = User32Function<DpiForWindowFunction>("GetDpiForWindow")) {
    if (const UINT dpi = window ? dpiForWindow(window) : 0)
      return static_cast<int>(dpi);
  }
  return DpiOfMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY));
}

int DpiOfMonitor(HMONITOR monitor) {
  UINT dpiX = 0;
  UINT dpiY = 0;
  if (const auto dpiForMonitor = ShcoreFunction<DpiForMonitorFunction>("GetDpiForMonitor")) {
    if (SUCCEEDED(dpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiX > 0)
      return static_cast<int>(dpiX);
  }
  return SystemDpi();
}
