#ifndef INSTALLER_UI_X_ROOT_VIEW_H_
#define INSTALLER_UI_X_ROOT_VIEW_H_

#include <windows.h>

#include <cstdint>
#include <vector>

#include "installer/ui/x_view.h"

// The root of the installer window's view tree: a view that also takes the setup result and
// keeps the keyboard focus. Tab walks the focus order the root supplies; Enter and Space
// activate the focused view, Esc and Alt+F4 ask the root to close. The focus cue stays
// hidden until the first key press, so a mouse user sees nothing of all this. Screen readers
// see the root's accessible children. Window thread only.
class XRootView : public XView {
 public:
  // Runs on the window thread when XWM_SETUP_DONE arrives, whoever posted it.
  virtual void DoneSetup(uint32_t result) = 0;

  // The views Tab visits, in order. Default: the visible, focusable, enabled descendants in
  // child order.
  virtual std::vector<XView*> FocusOrder() const;
  // The view a press on |pressed| focuses; null leaves the focus where it is. Default:
  // |pressed| when it is in the focus order.
  virtual XView* FocusTargetOf(XView* pressed) const;
  // The button Enter presses when the focused view does nothing with it (the text box).
  virtual XView* GetDefaultButton() const { return nullptr; }
  // Esc and Alt+F4. Default: Close.
  virtual void OnCloseRequested() { Close(); }
  // The window's size at 96 DPI for what the root shows now, and the largest size it takes
  // at any time: the window is placed so that the largest fits its monitor. Default: the
  // root's own size.
  virtual SIZE LogicalWindowSize() const;
  virtual SIZE TallestWindowSize() const { return LogicalWindowSize(); }
  // What a screen reader lists under the window, in order. Default: the focus order.
  virtual std::vector<XView*> AccessibleChildren() const { return FocusOrder(); }

  // Moves the focus to |view| (null: the window itself). When the window holds the keyboard
  // focus, the view's native control or the window takes the keys and readers are told.
  void SetFocusedView(XView* view);
  XView* GetFocusedView() const { return focusedView; }
  // Tab (forward) and Shift+Tab, wrapping around.
  void MoveFocus(bool forward);
  // A key pressed in the window or handed over by its text box. True when it was one of
  // the keys the root handles.
  bool KeyDown(UINT key, bool shift, bool repeat);
  // From the first key press on, the focused view shows its cue.
  void ShowFocusCue();
  bool IsFocusCueShown() const { return focusCueShown; }
  // After Paint: the cue of the focused view, when shown.
  void PaintKeyboardFocus(HDC dc);

  // The mouse pressed a view: the focus follows, so Tab goes on from there.
  void FocusPressedView();
  // A native control of the tree took the focus itself (a click into the text box).
  void NativeControlFocused(HWND control);
  // The window got the keyboard focus: hands it on to the focused view's native control.
  void WindowFocused();
  // Whether the window or one of its controls has the keyboard focus.
  bool HoldsKeyboardFocus() const;

  // 1-based position of |view| among AccessibleChildren; 0 when it is not one.
  long AccessibleChildId(const XView* view) const;
  // NotifyWinEvent |event| for |view|, or for the window's client object when null; nothing
  // when |view| is not an accessible child.
  void Announce(DWORD event, const XView* view) const;
  // A screen reader's default action, or a value change posted from another thread: acts
  // only on a current accessible child.
  void ActivateAccessibleChild(XView* view);
  void AnnounceValueChange(const XView* view) const;

 private:
  void InvalidateFocusCue(const XView* view) const;
  void AnnounceFocus() const;

  XView* focusedView = nullptr;
  bool focusCueShown = false;
};

#endif  // INSTALLER_UI_X_ROOT_VIEW_H_
