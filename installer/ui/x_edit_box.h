#ifndef INSTALLER_UI_X_EDIT_BOX_H_
#define INSTALLER_UI_X_EDIT_BOX_H_

#include <string>

#include "installer/ui/x_view.h"

// A native single-line "Edit" control inside a painted frame, inset by 7 pixels at 96 DPI. Keyboard
// and mouse go to the native control, except Tab, Enter and Esc, which it hands to the
// installer window so that they move the focus, press the default button or close; text
// changes reach the root view's OnCommand through the window procedure. When the control
// cannot be created, the text calls do nothing.
class XEditBox : public XView {
 public:
  static constexpr int kInset = 7;
  // Characters GetText reads, terminator included.
  static constexpr int kTextBufferSize = 260;

  // |parent| is the installer window, the native control's parent.
  explicit XEditBox(HWND parent);

  void SetText(const std::wstring& text);
  // At most 259 characters; empty without a control.
  std::wstring GetText() const;
  HWND GetControl() const { return control.get(); }

  void OnCreate(HINSTANCE instance, HWND window) override;
  void OnLayout() override;
  void OnPaint(HDC dc) override;
  void OnVisibleChanged(bool visible) override;
  void OnScaleChanged() override;

  HWND GetNativeControl() const override { return control.get(); }
  // Selects the whole text, so that typing replaces it, as in a dialog.
  void OnFocusedByKeyboard() override;
  AccessibleRole GetAccessibleRole() const override { return AccessibleRole::kEditableText; }
  std::wstring GetAccessibleValue() const override { return GetText(); }

 private:
  HWND parentWindow;
  UniqueWindow control;
  UniqueFont font;
  UniqueBrush frameBrush;
  UniquePen framePen;
};

#endif  // INSTALLER_UI_X_EDIT_BOX_H_
