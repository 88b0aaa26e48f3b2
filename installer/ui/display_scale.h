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

  // |dotsPerInch| below 96 counts as 96: the wizard never shrinks below its own size.
  explicit DisplayScale(int dotsPerInch = kBaseDpi)
      : dpi(dotsPerInch < kBaseDpi ? kBaseDpi : dotsPerInch) {}

  int Dpi() const { return dpi; }
  bool IsBase() const { return dpi == kBaseDpi; }

  // |value| at 96 DPI in pixels at this scale, rounded to nearest (halves up).
  int Pixels(int value) const;
  // The 96-DPI value whose Pixels is |pixels|, for any value Pixels returns; others map to
  // the nearest value above.
  int Logical(int pixels) const;
  RECT Pixels(const RECT& logical) const;
  SIZE Pixels(SIZE logical) const;

  bool operator==(const DisplayScale& other) const { return dpi == other.dpi; }
  bool operator!=(const DisplayScale& other) const { return dpi != other.dpi; }

 private:
  int dpi;
};

// The largest scale, at most |dpi| and at least 96 DPI, at which a window of |logical| size
// (at 96 DPI) fits into |workArea|.
DisplayScale FitScale(int dpi, SIZE logical, const RECT& workArea);

#endif  // INSTALLER_UI_DISPLAY_SCALE_H_
