#ifndef INSTALLER_UI_X_BUTTON_H_
#define INSTALLER_UI_X_BUTTON_H_

#include <array>
#include <string>

#include "installer/ui/x_view.h"
#include "installer/ui/x_view_listener.h"

// Indexes every per-state array of XButton.
enum class ButtonState : int { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };

// A rounded rectangle with an optional image and centred text, drawn in the look of its
// current state; also serves as text link, image button and check-box face. Pens, brushes,
// bitmaps and the font are made on first need and kept until the scale or the font changes,
// so repaints at one scale allocate nothing.
// A colour of 0 means "none" for fills and borders.
class XButton : public XView {
 public:
  static constexpr int kStates = 4;
  // The colour that image pixels use for "transparent".
  static constexpr COLORREF kImageKeyColor = RGB(115, 147, 222);

  // |clickListener| may be null; it is not owned and must outlive the button.
  explicit XButton(XViewListener* clickListener);

  // Stores the id and drops the bitmap already loaded for |state|. No invalidation.
  void SetStateImage(ButtonState state, UINT bitmapId);
  // These store their value; the caller invalidates. Set colours before the first paint:
  // a brush or pen already made for a state is kept.
  void SetFillColor(ButtonState state, COLORREF color);
  void SetBorderColor(ButtonState state, COLORREF color);
  void SetCornerRadius(int radius) { cornerRadius = radius; }
  void SetTextColor(COLORREF color) { textColor = color; }
  void SetText(std::wstring newText) { text = std::move(newText); }
  // Normal when true, Disabled when false, whatever the state was; then Invalidate.
  void SetEnabled(bool enabled);
  // How a screen reader presents the button: a push button unless set otherwise; |checked|
  // tells whether a check-box face shows the ticked box.
  void SetAccessibleRole(AccessibleRole newRole, bool isChecked = false) {
    role = newRole;
    checked = isChecked;
  }

  // Where the text is wider than the button, widens the button to the text where it is
  // drawn (centred on the rectangle), so that clicks and the focus cue cover every word;
  // the text stays where it was. Call after each SetRect.
  void CoverText();

  ButtonState GetState() const { return state; }
  const std::wstring& GetText() const { return text; }

  void OnPaint(HDC dc) override;
  void OnMouseDown() override;
  void OnClick() override;
  void OnMouseEnter() override;
  void OnMouseLeave() override;
  void OnFontChanged() override;
  void OnScaleChanged() override;

  // What a click does, without the look of one: notifies the listener unless disabled.
  bool Activate() override;
  bool IsEnabled() const override { return state != ButtonState::kDisabled; }
  AccessibleRole GetAccessibleRole() const override { return role; }
  std::wstring GetAccessibleName() const override;
  bool IsChecked() const override { return checked; }

 private:
  static size_t Index(ButtonState s) { return static_cast<size_t>(s); }
  void MoveTo(ButtonState newState);
  void PaintBackground(HDC dc);
  void PaintImage(HDC dc);
  void PaintText(HDC dc);

  XViewListener* listener;
  ButtonState state = ButtonState::kNormal;
  std::wstring text;
  COLORREF textColor = 0;
  int cornerRadius = 12;
  UniqueFont font;
  std::array<UINT, kStates> imageIds = {};
  std::array<UniqueBitmap, kStates> images;
  std::array<COLORREF, kStates> fillColors = {};
  std::array<COLORREF, kStates> borderColors = {};
  std::array<UniqueBrush, kStates> brushes;
  std::array<UniquePen, kStates> pens;
  AccessibleRole role = AccessibleRole::kPushButton;
  bool checked = false;
};

#endif  // INSTALLER_UI_X_BUTTON_H_
