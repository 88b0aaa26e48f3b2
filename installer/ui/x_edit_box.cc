#include "installer/ui/x_edit_box.h"

#include "installer/ui/toolkit_font.h"

namespace {

constexpr int kEditFontHeight = 24;

}  // namespace

XEditBox::XEditBox(HWND parentWindow) : parentWindow(parentWindow) {
  hitTestable = false;
}

void XEditBox::OnCreate(HINSTANCE newInstance, HWND) {
  framePen = CreateSolidPenObject(RGB(221, 221, 221));
  frameBrush = CreateSolidBrushObject(RGB(246, 246, 246));
  font = CreateToolkitFont(kEditFontHeight, false);
  control.reset(::CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 10,
                                  10, parentWindow, nullptr, newInstance, nullptr));
  if (control)
    ::SendMessageW(control.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
}

void XEditBox::OnLayout() {
  if (!control)
    return;
  ::SetWindowPos(control.get(), nullptr, rect.left + kInset, rect.top + kInset,
                 rect.right - rect.left - 2 * kInset, rect.bottom - rect.top - 2 * kInset,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void XEditBox::OnPaint(HDC dc) {
  ScopedSelectObject selectBrush(dc, frameBrush.get());
  ScopedSelectObject selectPen(dc, framePen.get());
  ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 0, 0);
}

void XEditBox::OnVisibleChanged(bool nowVisible) {
  if (control)
    ::ShowWindow(control.get(), nowVisible ? SW_SHOW : SW_HIDE);
}

void XEditBox::SetText(const std::wstring& text) {
  if (control)
    ::SetWindowTextW(control.get(), text.c_str());
}

std::wstring XEditBox::GetText() const {
  if (!control)
    return std::wstring();
  wchar_t buffer[kTextBufferSize] = {};
  const int length = ::GetWindowTextW(control.get(), buffer, kTextBufferSize);
  return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}
