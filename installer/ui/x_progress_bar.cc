#include "installer/ui/x_progress_bar.h"

#include "installer/ui/toolkit_messages.h"

XProgressBar::XProgressBar() {
  hitTestable = false;
}

void XProgressBar::SetProgress(int percent) {
  if (percent > 100 || percent == progress.load())
    return;
  progress.store(percent);
  Invalidate();
  // Announced on the window thread, which alone knows where the strip sits among the
  // window's accessible children.
  if (window)
    ::PostMessageW(window, XWM_VIEW_VALUE_CHANGED, reinterpret_cast<WPARAM>(this), 0);
}

std::wstring XProgressBar::GetAccessibleValue() const {
  return std::to_wstring(progress.load()) + L"%";
}

void XProgressBar::OnCreate(HINSTANCE, HWND) {
  fillBrush = CreateSolidBrushObject(RGB(74, 144, 226));
  trackBrush = CreateSolidBrushObject(RGB(230, 230, 230));
}

void XProgressBar::OnPaint(HDC dc) {
  const int percent = progress.load();
  if (percent < 1)
    return;
  ::FillRect(dc, &rect, trackBrush.get());
  RECT filled = rect;
  filled.right = rect.left + (rect.right - rect.left) * percent / 100;
  ::FillRect(dc, &filled, fillBrush.get());
}
