#include "installer/ui/x_root_view.h"

#include <algorithm>

namespace {

void CollectFocusable(const XView& view, std::vector<XView*>& order) {
  for (const auto& child : view.GetChildren()) {
    if (!child->IsVisible())
      continue;
    if (child->IsFocusable() && child->IsEnabled())
      order.push_back(child.get());
    CollectFocusable(*child, order);
  }
}

// The native control that takes the keys for |view|; null for drawn views.
HWND NativeControlOf(const XView* view) {
  return view && view->IsVisible() ? view->GetNativeControl() : nullptr;
}

bool Contains(const std::vector<XView*>& views, const XView* view) {
  return std::find(views.begin(), views.end(), view) != views.end();
}

}  // namespace

SIZE XRootView::LogicalWindowSize() const {
  return SIZE{scale.Logical(rect.right), scale.Logical(rect.bottom)};
}

std::vector<XView*> XRootView::FocusOrder() const {
  std::vector<XView*> order;
  CollectFocusable(*this, order);
  return order;
}

XView* XRootView::FocusTargetOf(XView* pressed) const {
  return pressed && Contains(FocusOrder(), pressed) ? pressed : nullptr;
}

bool XRootView::HoldsKeyboardFocus() const {
  const HWND focus = ::GetFocus();
  return window && focus && (focus == window || ::IsChild(window, focus));
}

void XRootView::SetFocusedView(XView* view) {
  if (view != focusedView) {
    InvalidateFocusCue(focusedView);
    focusedView = view;
    InvalidateFocusCue(view);
  }
  if (!HoldsKeyboardFocus())
    return;
  const HWND control = NativeControlOf(view);
  const HWND target = control ? control : window;
  if (::GetFocus() != target) {
    // WM_SETFOCUS or the control's EN_SETFOCUS comes back before SetFocus returns, and
    // announces from there.
    ::SetFocus(target);
    return;
  }
  AnnounceFocus();
}

void XRootView::MoveFocus(bool forward) {
  const std::vector<XView*> order = FocusOrder();
  if (order.empty())
    return;
  const size_t count = order.size();
  const auto current = std::find(order.begin(), order.end(), focusedView);
  size_t next = forward ? 0 : count - 1;
  if (current != order.end()) {
    const size_t index = static_cast<size_t>(current - order.begin());
    next = forward ? (index + 1) % count : (index + count - 1) % count;
  }
  SetFocusedView(order[next]);
  order[next]->OnFocusedByKeyboard();
}

bool XRootView::KeyDown(UINT key, bool shift, bool repeat) {
  ShowFocusCue();
  XView* focused = focusedView && focusedView->IsVisible() ? focusedView : nullptr;
  switch (key) {
    case VK_TAB:
      MoveFocus(!shift);
      return true;
    case VK_RETURN:
      // A held key acts once, as a held mouse button does.
      if (!repeat && !(focused && focused->Activate())) {
        XView* fallback = GetDefaultButton();
        if (fallback && fallback != focused && fallback->IsVisible())
          fallback->Activate();
      }
      return true;
    case VK_SPACE:
      if (!repeat && focused)
        focused->Activate();
      return true;
    case VK_ESCAPE:
      if (!repeat)
        OnCloseRequested();
      return true;
    default:
      return false;
  }
}

void XRootView::ShowFocusCue() {
  if (focusCueShown)
    return;
  focusCueShown = true;
  InvalidateFocusCue(focusedView);
}

void XRootView::PaintKeyboardFocus(HDC dc) {
  if (focusCueShown && focusedView && focusedView->IsVisible())
    focusedView->PaintFocusCue(dc);
}

void XRootView::InvalidateFocusCue(const XView* view) const {
  if (!focusCueShown || !view || !window)
    return;
  const RECT area = view->FocusCueRect();
  ::InvalidateRect(window, &area, TRUE);
}

void XRootView::FocusPressedView() {
  if (XView* target = FocusTargetOf(GetPressedView()))
    SetFocusedView(target);
}

void XRootView::NativeControlFocused(HWND control) {
  if (NativeControlOf(focusedView) == control)
    return;
  for (XView* view : FocusOrder()) {
    if (view->GetNativeControl() == control) {
      SetFocusedView(view);
      return;
    }
  }
}

void XRootView::WindowFocused() {
  if (const HWND control = NativeControlOf(focusedView)) {
    ::SetFocus(control);
    return;
  }
  AnnounceFocus();
}

void XRootView::AnnounceFocus() const {
  // A native control's own focus event is raised by the platform.
  if (!NativeControlOf(focusedView))
    Announce(EVENT_OBJECT_FOCUS, focusedView);
}

long XRootView::AccessibleChildId(const XView* view) const {
  const std::vector<XView*> accessible = AccessibleChildren();
  const auto found = std::find(accessible.begin(), accessible.end(), view);
  return found == accessible.end() ? 0 : static_cast<long>(found - accessible.begin()) + 1;
}

void XRootView::Announce(DWORD event, const XView* view) const {
  if (!window)
    return;
  const long child = view ? AccessibleChildId(view) : CHILDID_SELF;
  if (view && child == 0)
    return;
  ::NotifyWinEvent(event, window, OBJID_CLIENT, child);
}

void XRootView::ActivateAccessibleChild(XView* view) {
  if (AccessibleChildId(view) != 0)
    view->Activate();
}

void XRootView::AnnounceValueChange(const XView* view) const {
  Announce(EVENT_OBJECT_VALUECHANGE, view);
}
