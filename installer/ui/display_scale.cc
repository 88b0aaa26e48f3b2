#include "installer/ui/display_scale.h"

#include <cstdint>

namespace {

// Division rounding toward minus infinity, for coordinates left of or above the window.
int64_t FloorDivide(int64_t numerator, int64_t denominator) {
  const int64_t quotient = numerator / denominator;
  return (numerator % denominator != 0 && (numerator < 0) != (denominator < 0)) ? quotient - 1
                                                                                : quotient;
}

}  // namespace

int DisplayScale::Pixels(int value) const {
  // floor(value * dpi / 96 + 1/2): one monotonic function for every coordinate.
  return static_cast<int>(FloorDivide(static_cast<int64_t>(value) * dpi + kBaseDpi / 2, kBaseDpi));
}

int DisplayScale::Logical(int pixels) const {
  // The least value v with Pixels(v) >= pixels: ceil((pixels * 96 - 48) / dpi).
  const int64_t numerator = static_cast<int64_t>(pixels) * kBaseDpi - kBaseDpi / 2;
  return static_cast<int>(-FloorDivide(-numerator, dpi));
}

RECT DisplayScale::Pixels(const RECT& logical) const {
  return RECT{Pixels(static_cast<int>(logical.left)), Pixels(static_cast<int>(logical.top)),
              Pixels(static_cast<int>(logical.right)), Pixels(static_cast<int>(logical.bottom))};
}

SIZE DisplayScale::Pixels(SIZE logical) const {
  return SIZE{Pixels(static_cast<int>(logical.cx)), Pixels(static_cast<int>(logical.cy))};
}

DisplayScale FitScale(int dpi, SIZE logical, const RECT& workArea) {
  const int width = workArea.right - workArea.left;
  const int height = workArea.bottom - workArea.top;
  const int largest =
      DisplayScale(dpi < DisplayScale::kBaseDpi ? DisplayScale::kBaseDpi : dpi).Dpi();
  for (int candidate = largest; candidate > DisplayScale::kMinimumDpi; --candidate) {
    const SIZE size = DisplayScale(candidate).Pixels(logical);
    if (size.cx <= width && size.cy <= height)
      return DisplayScale(candidate);
  }
  return DisplayScale(DisplayScale::kMinimumDpi);
}
