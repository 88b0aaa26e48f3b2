#include "installer/ui/installer_wnd_proc.h"

#include <windowsx.h>

#include "base/win/debug_output.h"
#include "base/win/display_metrics.h"
#include "installer/ui/accessible_root.h"
#include "installer/ui/back_buffer.h"
#include "installer/ui/gdi_handles.h"
#include "installer/ui/toolkit_messages.h"
#include "installer/ui/window_position.h"

namespace {

const COLORREF kEditTextColor = RGB(102, 102, 102);
const COLORREF kEditBackgroundColor = RGB(246, 246, 246);

struct WindowState {
  HINSTANCE instance = nullptr;
  DisplayScale scale;
  RootViewFactory factory;
  XRootView* root = nullptr;
  UniqueBrush editBrush;
  int quitCode = 0;
};

WindowState& State() {
  static WindowState state;
  return state;
}

POINT ClientPoint(LPARAM lParam) {
  return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

POINT ScreenToClientPoint(HWND window, LPARAM lParam) {
  POINT point = ClientPoint(lParam);
  ::ScreenToClient(window, &point);
  return point;
}

void OnCreate(HWND window, const CREATESTRUCTW* create) {
  WindowState& state = State();
  if (!state.root && state.factory) {
    // Never deleted: the root lives until the process ends.
    state.root = state.factory().release();
  }
  if (!state.root)
    return;
  state.root->SetRect(RECT{0, 0, create->cx, create->cy});
  state.root->SetScale(state.scale);
  state.root->Attach(state.instance, window);
  state.root->Layout();
}

void OnPaint(HWND window) {
  PaintDc paint(window);
  HDC backBuffer = AcquireBackBuffer(window, paint.get());
  if (State().root && backBuffer) {
    State().root->Paint(backBuffer);
    State().root->PaintKeyboardFocus(backBuffer);
  }
  PresentBackBuffer(paint.get());
}

LRESULT OnNcHitTest(HWND window, LPARAM lParam) {
  XView* root = State().root;
  if (!root)
    return HTCLIENT;
  XView* hit = root->HitTest(ScreenToClientPoint(window, lParam));
  return hit == root ? HTCAPTION : HTCLIENT;
}

LRESULT OnCtlColorEdit(HDC dc) {
  WindowState& state = State();
  ::SetTextColor(dc, kEditTextColor);
  ::SetBkMode(dc, TRANSPARENT);
  if (!state.editBrush)
    state.editBrush = CreateSolidBrushObject(kEditBackgroundColor);
  return reinterpret_cast<LRESULT>(state.editBrush.get());
}

// A key held down repeats its WM_KEYDOWN with bit 30 set.
bool IsRepeat(LPARAM lParam) {
  return (lParam & (1 << 30)) != 0;
}

LRESULT OnKeyDown(HWND window, XRootView* root, WPARAM key, LPARAM lParam) {
  const bool shift = ::GetKeyState(VK_SHIFT) < 0;
  if (root && root->KeyDown(static_cast<UINT>(key), shift, IsRepeat(lParam)))
    return 0;
  return ::DefWindowProcW(window, WM_KEYDOWN, key, lParam);
}

// Alt+F4 is answered here rather than left to the platform's SC_CLOSE, which it need not
// raise for a window without a system menu.
LRESULT OnSysKeyDown(HWND window, XRootView* root, WPARAM key, LPARAM lParam) {
  if (!root)
    return ::DefWindowProcW(window, WM_SYSKEYDOWN, key, lParam);
  root->ShowFocusCue();
  const bool altDown = (HIWORD(lParam) & KF_ALTDOWN) != 0;
  if (key != VK_F4 || !altDown)
    return ::DefWindowProcW(window, WM_SYSKEYDOWN, key, lParam);
  if (!IsRepeat(lParam))
    root->OnCloseRequested();
  return 0;
}

void OnCommand(XRootView* root, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!root)
    return;
  if (HIWORD(wParam) == EN_CHANGE)
    root->OnCommand(message, wParam, lParam);
  else if (HIWORD(wParam) == EN_SETFOCUS)
    root->NativeControlFocused(reinterpret_cast<HWND>(lParam));
}

// The window reached a monitor of another scale: the same wizard at the new scale, or the
// largest at which its tallest page fits that monitor's work area, as near to where the
// platform suggests as that work area allows. Only the platform's own message, sent on the
// window's thread, carries a rectangle of this process in lParam: from another thread lParam
// is a number, and the scale is read from the window itself. (Posted ones are dropped before
// dispatch, see PostedDpiChangeFilter.)
void OnDpiChanged(HWND window, XRootView* root, WPARAM wParam, LPARAM lParam) {
  if (!root)
    return;
  const bool fromPlatform = !::InSendMessage();
  const RECT* suggested = fromPlatform ? reinterpret_cast<const RECT*>(lParam) : nullptr;
  RECT bounds = {};
  ::GetWindowRect(window, &bounds);
  const RECT target = suggested ? *suggested : bounds;
  const RECT work = WorkAreaNearest(target);
  const SIZE tallest = root->TallestWindowSize();
  const DisplayScale scale =
      FitScale(fromPlatform ? LOWORD(wParam) : DpiOfWindow(window), tallest, work);
  const SIZE size = scale.Pixels(root->LogicalWindowSize());
  const POINT at = KeepInside(POINT{target.left, target.top}, scale.Pixels(tallest), work);
  WriteDebugLineF("Display scale changed to %d DPI.\n", scale.Dpi());
  // The whole wizard takes the new scale before the window moves, so whatever the move
  // paints or hit-tests sees one scale.
  State().scale = scale;
  root->SetScale(scale);
  root->SetRect(RECT{0, 0, size.cx, size.cy});
  root->Layout();
  ::SetWindowPos(window, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  ::InvalidateRect(window, nullptr, TRUE);
}

LRESULT OnGetObject(HWND window, XRootView* root, WPARAM wParam, LPARAM lParam) {
  if (const LRESULT answer = AnswerAccessibleObjectRequest(window, wParam, lParam, root))
    return answer;
  return ::DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
}

}  // namespace

void SetRootViewFactory(RootViewFactory factory) {
  State().factory = std::move(factory);
}

void SetInstallerModule(HINSTANCE module) {
  State().instance = module;
}

void SetWindowScale(DisplayScale scale) {
  State().scale = scale;
}

void SetQuitCode(int code) {
  State().quitCode = code;
}

XRootView* GetRootView() {
  return State().root;
}

void ForgetRootViewForTesting() {
  State().root = nullptr;
}

LRESULT CALLBACK InstallerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  XRootView* root = State().root;
  switch (message) {
    case WM_CREATE:
      OnCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
      return 0;
    case WM_DESTROY:
      DisconnectAccessibleObject();
      ::PostQuitMessage(State().quitCode);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_CLOSE:
      ::DestroyWindow(window);
      return 0;
    case WM_NCHITTEST:
      return OnNcHitTest(window, lParam);
    case WM_NCMOUSEMOVE:
      if (root)
        root->MouseMove(ScreenToClientPoint(window, lParam));
      return 0;
    case WM_COMMAND:
      OnCommand(root, message, wParam, lParam);
      return 0;
    case WM_CTLCOLOREDIT:
      return OnCtlColorEdit(reinterpret_cast<HDC>(wParam));
    case WM_MOUSEMOVE:
      if (root)
        root->MouseMove(ClientPoint(lParam));
      return 0;
    case WM_LBUTTONDOWN:
      if (root) {
        root->MouseDown(ClientPoint(lParam));
        root->FocusPressedView();
      }
      return 0;
    case WM_LBUTTONUP:
      if (root)
        root->MouseUp(ClientPoint(lParam));
      return 0;
    case XWM_SETUP_DONE:
      WriteDebugLine("\nreceived XWM_SETUP_DONE\n");
      if (root)
        root->DoneSetup(static_cast<uint32_t>(wParam));
      return 0;
    case WM_KEYDOWN:
      return OnKeyDown(window, root, wParam, lParam);
    case WM_SYSKEYDOWN:
      return OnSysKeyDown(window, root, wParam, lParam);
    case WM_SYSCOMMAND:
      // Alt+F4 (and the task bar's Close) do what the close button does on the page.
      if ((wParam & 0xFFF0) == SC_CLOSE && root) {
        root->OnCloseRequested();
        return 0;
      }
      return ::DefWindowProcW(window, message, wParam, lParam);
    case WM_SETFOCUS:
      if (root)
        root->WindowFocused();
      return 0;
    case WM_GETOBJECT:
      return OnGetObject(window, root, wParam, lParam);
    case XWM_ACCESSIBLE_ACTION:
      if (root)
        root->ActivateAccessibleChild(reinterpret_cast<XView*>(wParam));
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(window, root, wParam, lParam);
      return 0;
    case XWM_VIEW_VALUE_CHANGED:
      if (root)
        root->AnnounceValueChange(reinterpret_cast<XView*>(wParam));
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}
