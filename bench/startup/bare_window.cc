// bare_window.exe: the reference of the wizard's start benchmark. Opens a borderless
// 1000 x 600 window, fills it on its first paint, writes "First paint." to the debugger
// output and ends: what any program pays under Wine from its start to a painted window.

#include <windows.h>

namespace {

LRESULT CALLBACK BareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(window, &paint);
    ::FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
    ::EndPaint(window, &paint);
    ::OutputDebugStringA("First paint.\n");
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  ::SetProcessDPIAware();
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = BareWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"OrbavintelBareWindow";
  if (!::RegisterClassExW(&windowClass))
    return 1;
  const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"bare", WS_POPUP, 140,
                                        212, 1000, 600, nullptr, nullptr, instance, nullptr);
  if (!window)
    return 2;
  ::ShowWindow(window, SW_SHOW);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0)
    ::DispatchMessageW(&message);
  ::DestroyWindow(window);
  return 0;
}
