#ifndef INSTALLER_UI_PICTURE_RESIDUAL_H_
#define INSTALLER_UI_PICTURE_RESIDUAL_H_

#include <stdint.h>

// Rows of 8-bit pixels with three channels, top-down, |stride| bytes apart.
struct PixelRows {
  uint8_t* bits;
  int width;
  int height;
  int stride;
};

// The page pictures for the larger scales are stored as their difference from the 100 %
// picture enlarged: adds |base| enlarged to the size of |picture| onto |picture|, byte by
// byte modulo 256, which turns the stored difference into the picture. The enlargement
// interpolates linearly between pixel centres with integer weights and rounds half up,
// exactly as tools/art/residual.py does, so the sum is the picture the generator chose.
// False, leaving |picture| as it is, when |base| is empty or larger than |picture| in either
// direction.
bool AddEnlarged(const PixelRows& base, const PixelRows& picture);

#endif  // INSTALLER_UI_PICTURE_RESIDUAL_H_
