#include "installer/ui/x_button.h"

#include "installer/ui/toolkit_font.h"

namespace {

constexpr int kDefaultFontHeight = 32;
constexpr UINT kButtonTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP;

}  // namespace

XButton::XButton(XViewListener* clickListener) : listener(clickListener) {
  // Nothing inside a button is ever the mouse target; the button itself stays one, even
  // when disabled, so it never lets a drag through to the window.
  searchChildren = false;
  focusable = true;
}

void XButton::SetStateImage(ButtonState s, UINT bitmapId) {
  imageIds[Index(s)] = bitmapId;
  images[Index(s)].reset();
}

void XButton::SetFillColor(ButtonState s, COLORREF color) {
  fillColors[Index(s)] = color;
}

void XButton::SetBorderColor(ButtonState s, COLORREF color) {
  borderColors[Index(s)] = color;
}

void XButton::SetEnabled(bool enabled) {
  state = enabled ? ButtonState::kNormal : ButtonState::kDisabled;
  Invalidate();
}

void XButton::MoveTo(ButtonState newState) {
  state = newState;
  Invalidate();
}

void XButton::OnMouseDown() {
  if (state != ButtonState::kDisabled)
    MoveTo(ButtonState::kPressed);
}

void XButton::OnClick() {
  if (state == ButtonState::kDisabled)
    return;
  MoveTo(ButtonState::kNormal);
  Activate();
}

bool XButton::Activate() {
  if (state == ButtonState::kDisabled)
    return false;
  // Last: the handler may hide, disable or re-text this button.
  if (listener)
    listener->OnViewClicked(this);
  return true;
}

std::wstring XButton::GetAccessibleName() const {
  return accessibleName.empty() ? text : accessibleName;
}

void XButton::OnMouseEnter() {
  if (state != ButtonState::kDisabled)
    MoveTo(ButtonState::kHover);
}

void XButton::OnMouseLeave() {
  if (state != ButtonState::kDisabled)
    MoveTo(ButtonState::kNormal);
}

void XButton::OnFontChanged() {
  font =
      CreateToolkitFont(scale.Pixels(fontHeight > 0 ? fontHeight : kDefaultFontHeight), underline);
}

void XButton::OnScaleChanged() {
  // Made again at the next paint, for the new scale.
  font.reset();
  for (size_t s = 0; s < kStates; ++s) {
    images[s].reset();
    pens[s].reset();
  }
}

void XButton::OnPaint(HDC dc) {
  PaintBackground(dc);
  PaintImage(dc);
  PaintText(dc);
}

void XButton::PaintBackground(HDC dc) {
  const size_t s = Index(state);
  HGDIOBJ pen = ::GetStockObject(NULL_PEN);
  if (borderColors[s] != 0) {
    if (!pens[s])
      pens[s] = CreateBorderPenObject(borderColors[s], scale.Pixels(1));
    pen = pens[s].get();
  }
  HGDIOBJ brush = ::GetStockObject(NULL_BRUSH);
  if (fillColors[s] != 0) {
    if (!brushes[s])
      brushes[s] = CreateSolidBrushObject(fillColors[s]);
    brush = brushes[s].get();
  }
  ScopedSelectObject selectBrush(dc, brush);
  ScopedSelectObject selectPen(dc, pen);
  const int corner = scale.Pixels(cornerRadius);
  ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner, corner);
}

void XButton::PaintImage(HDC dc) {
  const size_t s = Index(state);
  if (!images[s])
    images[s] = LoadBitmapResource(static_cast<WORD>(imageIds[s]));
  if (!images[s])
    return;
  UniqueMemoryDc imageDc = CreateMemoryDc(dc);
  if (!imageDc)
    return;
  ScopedSelectObject selectImage(imageDc.get(), images[s].get());
  BITMAP info = {};
  ::GetObjectW(images[s].get(), sizeof(info), &info);
  // gdi32's own entry point: msimg32's TransparentBlt forwards to it, and importing
  // msimg32 would let a planted copy beside the installer run.
  ::GdiTransparentBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                      imageDc.get(), 0, 0, info.bmWidth, info.bmHeight, kImageKeyColor);
}

void XButton::CoverText() {
  if (text.empty())
    return;
  if (!font)
    OnFontChanged();
  const UniqueMemoryDc measuring = CreateMemoryDc(nullptr);
  if (!measuring || !font)
    return;
  ScopedSelectObject selectFont(measuring.get(), font.get());
  SIZE extent = {};
  if (!::GetTextExtentPoint32W(measuring.get(), text.c_str(), static_cast<int>(text.size()),
                               &extent) ||
      extent.cx <= rect.right - rect.left) {
    return;
  }
  // DT_CENTER's own rule for the text's left edge, so the text stays on its pixels.
  rect.left = (rect.left + rect.right - extent.cx) / 2;
  rect.right = rect.left + extent.cx;
}

void XButton::PaintText(HDC dc) {
  if (text.empty())
    return;
  if (!font)
    OnFontChanged();
  ::SetBkMode(dc, TRANSPARENT);
  ScopedSelectObject selectFont(dc, font.get());
  const COLORREF previousColor = ::SetTextColor(dc, textColor);
  RECT area = rect;
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, kButtonTextFormat);
  ::SetTextColor(dc, previousColor);
}
