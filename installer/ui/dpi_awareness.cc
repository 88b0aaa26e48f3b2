#include "installer/ui/dpi_awareness.h"

#include "base/win/debug_output.h"
#include "installer/ui/display_scale.h"

namespace {

// DPI_AWARENESS_CONTEXT values; the type is a handle in the platform's headers.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));

using SetContextFunction = BOOL(WINAPI*)(HANDLE);
using DpiForWindowFunction = UINT(WINAPI*)(HWND);
using DpiForSystemFunction = UINT(WINAPI*)();

template <typename Function>
Function User32Function(const char* name) {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (!user32)
    return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)));
}

}  // namespace

void DeclarePerMonitorDpiAwareness() {
  if (const auto setContext = User32Function<SetContextFunction>("SetProcessDpiAwarenessContext")) {
    if (setContext(kPerMonitorAwareV2))
      return;
    if (setContext(kPerMonitorAware)) {
      WriteDebugLine("Display scale: per-monitor awareness v1.\n");
      return;
    }
  }
  WriteDebugLine("Display scale: system awareness only.\n");
  ::SetProcessDPIAware();
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

int DpiOfWindow(HWND window) {
  if (const auto dpiForWindow = User32Function<DpiForWindowFunction>("GetDpiForWindow")) {
    if (const UINT dpi = window ? dpiForWindow(window) : 0)
      return static_cast<int>(dpi);
  }
  return SystemDpi();
}

RECT WorkAreaOf(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  const HMONITOR monitor = window ? ::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY)
                                  : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  if (!::GetMonitorInfoW(monitor, &info))
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
  return info.rcWork;
}
