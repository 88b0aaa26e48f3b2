#ifndef INSTALLER_UI_X_VIEW_H_
#define INSTALLER_UI_X_VIEW_H_

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "installer/ui/accessible_role.h"
#include "installer/ui/display_scale.h"
#include "installer/ui/gdi_handles.h"

// One rectangle of the installer window that paints itself into the back buffer. Views form
// a tree under the root view; every rectangle is in client coordinates of the one window,
// not relative to the parent. A view owns its children. Everything here runs on the window's
// thread, except Invalidate, which any thread may call.
class XView {
 public:
  XView() = default;
  virtual ~XView();
  XView(const XView&) = delete;
  XView& operator=(const XView&) = delete;

  // Called by Attach once instance and window are stored: create GDI objects, native
  // controls and children here.
  virtual void OnCreate(HINSTANCE moduleInstance, HWND hostWindow) {}
  // Place whatever depends on the rectangle; runs after the children's own layout.
  virtual void OnLayout() {}
  // Draw the view's own rectangle into |dc| (the back buffer), before the children.
  virtual void OnPaint(HDC dc) {}
  virtual void OnMouseDown() {}
  // The left button came up over the view that took the press.
  virtual void OnClick() {}
  virtual void OnMouseEnter() {}
  virtual void OnMouseLeave() {}
  // Font height or underline changed through SetFont.
  virtual void OnFontChanged() {}
  // Visibility changed through SetVisible.
  virtual void OnVisibleChanged(bool nowVisible) {}
  // A native child control sent a text-change notification to the window.
  virtual void OnCommand(UINT message, WPARAM wParam, LPARAM lParam) {}
  // The display scale changed through SetScale: drop what was made for the old one (fonts,
  // pictures); the owner lays out again.
  virtual void OnScaleChanged() {}

  // Keyboard and screen readers. Enter or Space on the focused view, or a screen reader's
  // default action: does what a click does. False when the view has nothing to do (a
  // disabled button, a text box).
  virtual bool Activate() { return false; }
  // The native control that takes the keys while this view has the focus; null for views
  // drawn by the toolkit.
  virtual HWND GetNativeControl() const { return nullptr; }
  // Draws the keyboard focus cue: a 2-pixel outline one pixel outside the rectangle, in a
  // colour that stands out on the dark pictures and on the white band alike.
  virtual void PaintFocusCue(HDC dc);
  // The keyboard (Tab) brought the focus here; a text box selects its text.
  virtual void OnFocusedByKeyboard() {}
  // The area PaintFocusCue draws on, for invalidation.
  RECT FocusCueRect() const;
  bool IsFocusable() const { return focusable; }
  virtual bool IsEnabled() const { return true; }
  // False when the view, though visible, draws nothing.
  virtual bool IsShowing() const { return visible; }
  virtual AccessibleRole GetAccessibleRole() const { return AccessibleRole::kStaticText; }
  // The name a screen reader speaks: the one set by the owner, else the view's own text.
  virtual std::wstring GetAccessibleName() const { return accessibleName; }
  // The progress in percent or the text typed; empty for views without a value.
  virtual std::wstring GetAccessibleValue() const { return std::wstring(); }
  virtual bool IsChecked() const { return false; }
  void SetAccessibleName(std::wstring name) { accessibleName = std::move(name); }

  // Appends |child| (paint order and hit priority follow the list) and returns it, still
  // owned by this view. Attach it afterwards when this view is attached already.
  template <typename View>
  View* AddChild(std::unique_ptr<View> child) {
    View* raw = child.get();
    children.push_back(std::move(child));
    return raw;
  }

  // Stores the rectangle; neither invalidates nor lays out.
  void SetRect(const RECT& newRect) { rect = newRect; }
  const RECT& GetRect() const { return rect; }

  // Stores both handles, runs OnCreate, then attaches each child in list order; children
  // take this view's display scale.
  void Attach(HINSTANCE instance, HWND window);
  // The scale of this view and all its descendants; OnScaleChanged on each whose scale
  // changed. No layout, no invalidation.
  void SetScale(DisplayScale newScale);
  const DisplayScale& GetScale() const { return scale; }
  // Children first (recursively, in list order), then this view's OnLayout.
  void Layout();
  // Pre-order: a visible view paints itself, then its children; a hidden subtree is skipped.
  void Paint(HDC dc);

  // The deepest visible, hit-testable view under |point|; earlier siblings win over later
  // ones. Null when nothing is hit.
  XView* HitTest(POINT point);

  // Mouse dispatch, on the root only, with client coordinates.
  void MouseDown(POINT point);
  void MouseMove(POINT point);
  void MouseUp(POINT point);

  // Invalidates the view's rectangle (erase requested). Any thread; nothing before Attach.
  void Invalidate();

  // Stores both; when either changed, OnFontChanged then Invalidate.
  void SetFont(int height, bool underline);
  int GetFontHeight() const { return fontHeight; }
  bool GetUnderline() const { return underline; }

  // When different: stores it, OnVisibleChanged, Invalidate.
  void SetVisible(bool visible);
  bool IsVisible() const { return visible; }

  // Resizes the window keeping its top-left corner, or, when the window lies inside its
  // monitor's work area, moving it only as much as it needs to stay inside. False, with a
  // debug line, when the window already has that size. The view's rectangle is the caller's
  // to update.
  bool SetWindowSize(SIZE size);
  // Posts WM_CLOSE to the window; returns at once.
  void Close();
  void Minimize();

  // The picture |id| of the instance drawn for the view's display scale (or, for a scale
  // without pictures of its own, the set for the next larger one, reduced); empty for id 0
  // or a missing resource. The caller owns it.
  UniqueBitmap LoadBitmapResource(WORD id) const;
  // The string resource |id|, cut to 1023 characters; empty when missing.
  std::wstring LoadStringResource(UINT id) const;

  const std::vector<std::unique_ptr<XView>>& GetChildren() const { return children; }
  HWND GetWindow() const { return window; }
  HINSTANCE GetInstance() const { return instance; }
  XView* GetHoverView() const { return hoverView; }
  XView* GetPressedView() const { return pressedView; }

 protected:
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  RECT rect = {0, 0, 0, 0};
  DisplayScale scale;
  bool visible = true;
  // Whether the view itself can be the mouse target.
  bool hitTestable = true;
  // Whether HitTest looks at the children at all.
  bool searchChildren = true;
  // Font settings of the views that draw text (buttons, labels), at 96 DPI. A button takes a
  // height of 0 or less as 32; a label uses the height as given.
  int fontHeight = 0;
  bool underline = false;
  // Whether Tab may stop here.
  bool focusable = false;
  std::wstring accessibleName;
  // Root only: the view that took the last press and the one under the pointer. Not owned.
  XView* pressedView = nullptr;
  XView* hoverView = nullptr;
  std::vector<std::unique_ptr<XView>> children;
};

#endif  // INSTALLER_UI_X_VIEW_H_
