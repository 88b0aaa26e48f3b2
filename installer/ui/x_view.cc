#include "installer/ui/x_view.h"

#include "base/win/debug_output.h"
#include "base/win/display_metrics.h"
#include "installer/ui/scaled_picture.h"
#include "installer/ui/window_position.h"

namespace {

// Luminance between the night-sky pictures and the white band: at least 3:1 against both.
constexpr COLORREF kFocusCueColor = RGB(225, 95, 0);
constexpr int kFocusCueGap = 1;
constexpr int kFocusCueWidth = 2;

}  // namespace

XView::~XView() {
  // First to last, each out of the list before it goes, so no child sees a dying sibling.
  while (!children.empty()) {
    std::unique_ptr<XView> child = std::move(children.front());
    children.erase(children.begin());
    child.reset();
  }
}

void XView::Attach(HINSTANCE newInstance, HWND newWindow) {
  instance = newInstance;
  window = newWindow;
  OnCreate(newInstance, newWindow);
  // Children added by OnCreate above are attached now, in the order they were added.
  for (auto& child : children) {
    // A button's font may have been made, at the old scale, when its owner set it.
    if (child->scale != scale) {
      child->scale = scale;
      child->OnScaleChanged();
    }
    child->Attach(newInstance, newWindow);
  }
}

void XView::SetScale(DisplayScale newScale) {
  for (auto& child : children)
    child->SetScale(newScale);
  if (newScale == scale)
    return;
  scale = newScale;
  OnScaleChanged();
}

void XView::Layout() {
  for (auto& child : children)
    child->Layout();
  OnLayout();
}

void XView::Paint(HDC dc) {
  if (!visible)
    return;
  OnPaint(dc);
  for (auto& child : children)
    child->Paint(dc);
}

XView* XView::HitTest(POINT point) {
  if (!visible)
    return nullptr;
  if (searchChildren) {
    for (auto& child : children) {
      if (XView* hit = child->HitTest(point))
        return hit;
    }
  }
  if (hitTestable && point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
      point.y < rect.bottom) {
    return this;
  }
  return nullptr;
}

void XView::MouseDown(POINT point) {
  pressedView = HitTest(point);
  if (pressedView)
    pressedView->OnMouseDown();
}

void XView::MouseMove(POINT point) {
  XView* hit = HitTest(point);
  if (hit == hoverView)
    return;
  if (hoverView)
    hoverView->OnMouseLeave();
  hoverView = hit;
  if (hit)
    hit->OnMouseEnter();
}

void XView::MouseUp(POINT point) {
  XView* pressed = pressedView;
  if (!pressed)
    return;
  // Cleared before the click runs: a handler may show a message box whose loop delivers
  // new presses.
  pressedView = nullptr;
  if (HitTest(point) == pressed)
    pressed->OnClick();
}

void XView::Invalidate() {
  if (window)
    ::InvalidateRect(window, &rect, TRUE);
}

void XView::SetFont(int height, bool newUnderline) {
  if (height == fontHeight && newUnderline == underline)
    return;
  fontHeight = height;
  underline = newUnderline;
  OnFontChanged();
  Invalidate();
}

void XView::SetVisible(bool newVisible) {
  if (newVisible == visible)
    return;
  visible = newVisible;
  OnVisibleChanged(newVisible);
  Invalidate();
}

bool XView::SetWindowSize(SIZE size) {
  RECT bounds = {};
  ::GetWindowRect(window, &bounds);
  if (bounds.right - bounds.left == size.cx && bounds.bottom - bounds.top == size.cy) {
    WriteDebugLine("XView::SetWindowSize: ignore same size.\n");
    return false;
  }
  // A window inside its monitor's work area stays inside at the new size, moved only as
  // much as that needs; one the user dragged partly off the screen keeps its corner.
  POINT at = {bounds.left, bounds.top};
  const RECT work = WorkAreaNearest(bounds);
  RECT inside = {};
  if (::IntersectRect(&inside, &bounds, &work) && ::EqualRect(&inside, &bounds))
    at = KeepInside(at, size, work);
  ::SetWindowPos(window, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void XView::Close() {
  ::PostMessageW(window, WM_CLOSE, 0, 0);
}

void XView::Minimize() {
  ::ShowWindow(window, SW_MINIMIZE);
}

UniqueBitmap XView::LoadBitmapResource(WORD id) const {
  if (id == 0)
    return UniqueBitmap();
  return LoadScaledPicture(instance, id, scale);
}

std::wstring XView::LoadStringResource(UINT id) const {
  wchar_t buffer[1024] = {};
  const int length = ::LoadStringW(instance, id, buffer, 1024);
  return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

RECT XView::FocusCueRect() const {
  RECT area = rect;
  const int outset = scale.Pixels(kFocusCueGap) + scale.Pixels(kFocusCueWidth);
  ::InflateRect(&area, outset, outset);
  return area;
}

void XView::PaintFocusCue(HDC dc) {
  // The device-context brush: the cue allocates no GDI object.
  const COLORREF previous = ::SetDCBrushColor(dc, kFocusCueColor);
  HBRUSH brush = static_cast<HBRUSH>(::GetStockObject(DC_BRUSH));
  const RECT outer = FocusCueRect();
  const int inner = scale.Pixels(kFocusCueWidth);
  const RECT sides[] = {
      {outer.left, outer.top, outer.right, outer.top + inner},
      {outer.left, outer.bottom - inner, outer.right, outer.bottom},
      {outer.left, outer.top + inner, outer.left + inner, outer.bottom - inner},
      {outer.right - inner, outer.top + inner, outer.right, outer.bottom - inner},
  };
  for (const RECT& side : sides)
    ::FillRect(dc, &side, brush);
  ::SetDCBrushColor(dc, previous);
}
