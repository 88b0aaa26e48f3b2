#include "installer/ui/window_position.h"

WindowPlacement CenterOnPrimaryWorkArea(SIZE size) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  const HMONITOR monitor = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  ::GetMonitorInfoW(monitor, &info);
  const RECT& work = info.rcWork;
  return WindowPlacement{(work.left + work.right - static_cast<int>(size.cx)) / 2,
                         (work.top + work.bottom - static_cast<int>(size.cy)) / 2,
                         static_cast<int>(size.cx), static_cast<int>(size.cy)};
}
