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

// Picture |setId|, stored whole or as its difference from picture |id|; empty, with a debug
// line, when it does not decode or compose.
UniqueBitmap LoadSetPicture(HINSTANCE instance, int id, int setId) {
  if (HasPngResource(instance, setId))
    return DecodePngResource(instance, setId);
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
  if (setId == id)
    return DecodePngResource(instance, id);
  if (UniqueBitmap picture = LoadSetPicture(instance, id, setId))
    return picture;
  // A damaged set must not blank the page under its white texts: the 100 % picture, which
  // the caller stretches like any picture of another size.
  WriteDebugLineF("Picture %d drawn from picture %d.\n", setId, id);
  return DecodePngResource(instance, id);
}
