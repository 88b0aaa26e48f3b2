#ifndef INSTALLER_UI_X_PROGRESS_BAR_H_
#define INSTALLER_UI_X_PROGRESS_BAR_H_

#include <atomic>

#include "installer/ui/x_view.h"

// A flat strip filled from the left by a percentage. Draws nothing at 0 or below. Never the
// mouse target.
class XProgressBar : public XView {
 public:
  XProgressBar();

  // Ignored above 100 or when equal to the current value; otherwise stored, the strip
  // invalidated and the change posted to the window for screen readers. Any thread: the
  // install worker calls it while the window thread paints.
  void SetProgress(int percent);
  int GetProgress() const { return progress.load(); }

  void OnCreate(HINSTANCE instance, HWND window) override;
  void OnPaint(HDC dc) override;

  bool IsShowing() const override { return visible && progress.load() >= 1; }
  AccessibleRole GetAccessibleRole() const override { return AccessibleRole::kProgressBar; }
  // "42%".
  std::wstring GetAccessibleValue() const override;

 private:
  UniqueBrush fillBrush;
  UniqueBrush trackBrush;
  std::atomic<int> progress{0};
};

#endif  // INSTALLER_UI_X_PROGRESS_BAR_H_
