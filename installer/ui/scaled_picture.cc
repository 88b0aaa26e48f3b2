#include "installer/ui/scaled_picture.h"

#include "installer/ui/png_picture.h"

PictureSet PictureSetFor(HINSTANCE instance, int id, DisplayScale scale) {
  PictureSet largest = kPictureSets[0];
  for (const PictureSet& set : kPictureSets) {
    if (!HasPngResource(instance, id + set.idOffset))
      continue;
    if (set.dpi >= scale.Dpi())
      return set;
    largest = set;
  }
  return largest;
}

UniqueBitmap LoadScaledPicture(HINSTANCE instance, int id, DisplayScale scale) {
  return DecodePngResource(instance, id + PictureSetFor(instance, id, scale).idOffset);
}
