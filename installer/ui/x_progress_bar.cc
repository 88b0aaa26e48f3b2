#include "installer/ui/x_progress_bar.h"

XProgressBar::XProgressBar() {
  hitTestable = false;
}

void XProgressBar::SetProgress(int percent) {
  if (percent > 100 || percent == progress.load())
    return;
  progress.store(percent);
  Invalidate();
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
