#include "installer/ui/x_label.h"

#include "installer/ui/toolkit_font.h"

XLabel::XLabel(std::wstring initialText, int height, COLORREF color)
    : text(std::move(initialText)), textColor(color) {
  fontHeight = height;
  hitTestable = false;
}

void XLabel::OnCreate(HINSTANCE, HWND) {
  // Without a font the label draws with whatever the device context holds.
  font = CreateToolkitFont(scale.Pixels(fontHeight), false);
}

void XLabel::OnScaleChanged() {
  // Before attachment the font is made by OnCreate, at the scale of that moment.
  if (font)
    font = CreateToolkitFont(scale.Pixels(fontHeight), false);
}

void XLabel::OnPaint(HDC dc) {
  ::SetBkMode(dc, TRANSPARENT);
  ScopedSelectObject selectFont(dc, font.get());
  const COLORREF previousColor = ::SetTextColor(dc, textColor);
  RECT area = rect;
  const UINT format = DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | (rightAligned ? DT_RIGHT : DT_LEFT);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
  ::SetTextColor(dc, previousColor);
}
