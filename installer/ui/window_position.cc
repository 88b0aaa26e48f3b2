#include "installer/ui/window_position.h"

namespace {

LONG Clamp(LONG value, LONG low, LONG high) {
  if (value > high)
    value = high;
  return value < low ? low : value;
}

}  // namespace

WindowPlacement PlaceInWorkArea(SIZE size, SIZE tallest, const RECT& workArea) {
  const POINT centred = {(workArea.left + workArea.right - size.cx) / 2,
                         (workArea.top + workArea.bottom - size.cy) / 2};
  const POINT at = KeepInside(centred, tallest, workArea);
  return WindowPlacement{static_cast<int>(at.x), static_cast<int>(at.y), static_cast<int>(size.cx),
                         static_cast<int>(size.cy)};
}

POINT KeepInside(POINT topLeft, SIZE size, const RECT& workArea) {
  return POINT{Clamp(topLeft.x, workArea.left, workArea.right - size.cx),
               Clamp(topLeft.y, workArea.top, workArea.bottom - size.cy)};
}
