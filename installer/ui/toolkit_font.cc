#include "installer/ui/toolkit_font.h"

UniqueFont CreateToolkitFont(int height, bool underline) {
  UniqueFont font(::CreateFontW(height, 0, 0, 0, 0, FALSE, underline ? TRUE : FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, L"Microsoft YaHei"));
  if (font)
    CountGdiObjectCreated();
  return font;
}
