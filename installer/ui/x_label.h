#ifndef INSTALLER_UI_X_LABEL_H_
#define INSTALLER_UI_X_LABEL_H_

#include <string>

#include "installer/ui/x_view.h"

// One line of static text, vertically centred in the rectangle. Never the mouse target, so
// a drag that starts on a label moves the window.
class XLabel : public XView {
 public:
  // The font of |height| pixels at 96 DPI is made when the label is attached.
  XLabel(std::wstring initialText, int height, COLORREF color);

  const std::wstring& GetText() const { return text; }
  std::wstring GetAccessibleName() const override { return text; }

  void OnCreate(HINSTANCE instance, HWND window) override;
  void OnPaint(HDC dc) override;
  void OnScaleChanged() override;

  // Right-aligned instead of left-aligned; set by the owner after construction.
  bool rightAligned = false;

 private:
  std::wstring text;
  UniqueFont font;
  COLORREF textColor;
};

#endif  // INSTALLER_UI_X_LABEL_H_
