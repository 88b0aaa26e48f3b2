#include "installer/ui/x_edit_box.h"

#include "installer/ui/toolkit_font.h"

namespace {

constexpr int kEditFontHeight = 24;

// The "Edit" class's own procedure, the same for every edit control of the process.
WNDPROC g_editClassProc = nullptr;

bool IsDialogKey(WPARAM key) {
  return key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE;
}

// Tab, Enter and Esc belong to the window, as in a dialog; every other key stays with the
// control. Their characters are swallowed too, so the control neither beeps nor types them.
LRESULT CALLBACK EditKeysProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && IsDialogKey(wParam)) {
    ::SendMessageW(::GetParent(control), message, wParam, lParam);
    return 0;
  }
  if (message == WM_CHAR && (wParam == L'\t' || wParam == L'\r' || wParam == 0x1B))
    return 0;
  return ::CallWindowProcW(g_editClassProc, control, message, wParam, lParam);
}

}  // namespace

XEditBox::XEditBox(HWND parent) : parentWindow(parent) {
  hitTestable = false;
  focusable = true;
}

void XEditBox::OnCreate(HINSTANCE newInstance, HWND) {
  framePen = CreateBorderPenObject(RGB(221, 221, 221), scale.Pixels(1));
  frameBrush = CreateSolidBrushObject(RGB(246, 246, 246));
  font = CreateToolkitFont(scale.Pixels(kEditFontHeight), false);
  control.reset(::CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 10,
                                  10, parentWindow, nullptr, newInstance, nullptr));
  if (!control)
    return;
  ::SendMessageW(control.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  g_editClassProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(control.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditKeysProc)));
}

void XEditBox::OnLayout() {
  if (!control)
    return;
  const int inset = scale.Pixels(kInset);
  ::SetWindowPos(control.get(), nullptr, rect.left + inset, rect.top + inset,
                 rect.right - rect.left - 2 * inset, rect.bottom - rect.top - 2 * inset,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void XEditBox::OnScaleChanged() {
  framePen = CreateBorderPenObject(RGB(221, 221, 221), scale.Pixels(1));
  if (!control)
    return;
  // The control keeps the old font until it is given the new one; then the old one goes.
  UniqueFont scaled = CreateToolkitFont(scale.Pixels(kEditFontHeight), false);
  ::SendMessageW(control.get(), WM_SETFONT, reinterpret_cast<WPARAM>(scaled.get()), TRUE);
  font = std::move(scaled);
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

void XEditBox::OnFocusedByKeyboard() {
  if (control)
    ::SendMessageW(control.get(), EM_SETSEL, 0, -1);
}
