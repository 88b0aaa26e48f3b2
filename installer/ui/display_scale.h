#ifndef INSTALLER_UI_DISPLAY_SCALE_H_
#define INSTALLER_UI_DISPLAY_SCALE_H_

#include <windows.h>

// The display scale the window is drawn at, and the one conversion of the wizard's 96-DPI
// measures into pixels: every rectangle, font height, pen and inset goes through it.
// Rectangles are converted edge by edge with one rounding of each coordinate, so edges
// that touch at 96 DPI touch at every scale. At 96 DPI every value is unchanged.
class DisplayScale {
 public:
  static constexpr int kBaseDpi = 96;
  // 50 %: the smallest the wizard shrinks to on a screen smaller than itself.
  static constexpr int kMinimumDpi = 48;
  // 500 %, the largest scale the platform offers.
  static constexpr int kMaximumDpi = 480;

  // |dotsPerInch| is kept within kMinimumDpi and kMaximumDpi.
  explicit DisplayScale(int dotsPerInch = kBaseDpi)
      : dpi(dotsPerInch < kMinimumDpi   ? kMinimumDpi
            : dotsPerInch > kMaximumDpi ? kMaximumDpi
                                        : dotsPerInch) {}

  int Dpi() const { return dpi; }
  bool IsBase() const { return dpi == kBaseDpi; }

  // |value| at 96 DPI in pixels at this scale, rounded to nearest (halves up).
  int Pixels(int value) const;
  // The least 96-DPI value whose Pixels is |pixels| or more. Above 100 % each pixel value
  // has one 96-DPI value at most, so this inverts Pixels; below 100 % several share one.
  int Logical(int pixels) const;
  RECT Pixels(const RECT& logical) const;
  SIZE Pixels(SIZE logical) const;

  bool operator==(const DisplayScale& other) const { return dpi == other.dpi; }
  bool operator!=(const DisplayScale& other) const { return dpi != other.dpi; }

 private:
  int dpi;
};

// The largest scale, at most |dpi| (96 when less), at which a window of |logical| size (at
// 96 DPI) fits into |workArea|: below 100 % only where not even 100 % fits, down to 50 %.
DisplayScale FitScale(int dpi, SIZE logical, const RECT& workArea);

#endif  // INSTALLER_UI_DISPLAY_SCALE_H_
