#include "base/win/display_metrics.h"

#include "base/win/system_library.h"

namespace {

// MDT_EFFECTIVE_DPI of shcore.dll.
constexpr int kEffectiveDpi = 0;
constexpr int kDefaultDpi = USER_DEFAULT_SCREEN_DPI;

using DpiForWindowFunction = UINT(WINAPI*)(HWND);
using DpiForSystemFunction = UINT(WINAPI*)();
using DpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

int SystemDpi() {
  if (const auto dpiForSystem =
          GetSystemFunction<DpiForSystemFunction>(L"user32.dll", "GetDpiForSystem")) {
    if (const UINT dpi = dpiForSystem())
      return static_cast<int>(dpi);
  }
  const HDC screen = ::GetDC(nullptr);
  if (!screen)
    return kDefaultDpi;
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

int DpiOfWindow(HWND window) {
  if (const auto dpiForWindow =
          GetSystemFunction<DpiForWindowFunction>(L"user32.dll", "GetDpiForWindow")) {
    if (const UINT dpi = window ? dpiForWindow(window) : 0)
      return static_cast<int>(dpi);
  }
  return DpiOfMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY));
}

int DpiOfMonitor(HMONITOR monitor) {
  UINT dpiX = 0;
  UINT dpiY = 0;
  // shcore.dll exists from Windows 8.1 on.
  if (const auto dpiForMonitor =
          GetSystemFunction<DpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor")) {
    if (SUCCEEDED(dpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiX > 0)
      return static_cast<int>(dpiX);
  }
  return SystemDpi();
}

RECT WorkAreaNearest(const RECT& bounds) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (!::GetMonitorInfoW(::MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST), &info))
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
  return info.rcWork;
}
