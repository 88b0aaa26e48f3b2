#include "installer/ui/scaled_picture.h"

#include "base/win/debug_output.h"
#include "installer/ui/picture_residual.h"
#include "installer/ui/png_picture.h"

namespace {

// Whether |instance| holds picture |id| of |set|, whole or as a difference.
bool HasPicture(HINSTANCE instance, int id, const PictureSet& set) {
  return HasPngResource(instance, id + set.idOffset) ||
         (set.idOffset != 0 && HasPngResource(instance, id + set.idOffset, kResidualResourceType));
}

// The pixels of a decoded DIB section.
bool PixelsOf(HBITMAP bitmap, PixelRows* rows) {
  DIBSECTION section = {};
  if (::GetObjectW(bitmap, sizeof(section), &section) != sizeof(section) || !section.dsBm.bmBits ||
      section.dsBm.bmBitsPixel != 24) {
    return false;
  }
  // Rows of a 24-bit DIB are padded to four bytes.
  *rows = {static_cast<uint8_t*>(section.dsBm.bmBits), section.dsBm.bmWidth, section.dsBm.bmHeight,
           (section.dsBm.bmWidth * 3 + 3) / 4 * 4};
  return true;
}

}  // namespace

PictureSet PictureSetFor(HINSTANCE instance, int id, DisplayScale scale) {
  PictureSet largest = kPictureSets[0];
  for (const PictureSet& set : kPictureSets) {
    if (!HasPicture(instance, id, set))
      continue;
    if (set.dpi >= scale.Dpi())
      return set;
    largest = set;
  }
  return largest;
}

UniqueBitmap LoadScaledPicture(HINSTANCE instance, int id, DisplayScale scale) {
  const int setId = id + PictureSetFor(instance, id, scale).idOffset;
  if (setId == id || HasPngResource(instance, setId))
    return DecodePngResource(instance, setId);
  // A page picture stored as its difference from the 100 % one.
  const UniqueBitmap base = DecodePngResource(instance, id);
  UniqueBitmap picture = DecodePngResource(instance, setId, kResidualResourceType);
  PixelRows baseRows = {};
  PixelRows pictureRows = {};
  if (!base || !picture || !PixelsOf(base.get(), &baseRows) ||
      !PixelsOf(picture.get(), &pictureRows) || !AddEnlarged(baseRows, pictureRows)) {
    WriteDebugLineF("Fail compose picture %d.\n", setId);
    return UniqueBitmap();
  }
  return picture;
}
