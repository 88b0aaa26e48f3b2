// Stand-in for the installed browser: records that it ran and shows a small window titled
// "Orbavintel stand-in browser" until it is closed, or for ORBAVINTEL_STANDIN_BROWSER_SECONDS
// seconds when that is set (0: end at once).

#include <windows.h>

#include "tools/stand_in_installer/stand_in_record.h"

namespace {

constexpr wchar_t kClassName[] = L"OrbavintelStandInBrowser";
constexpr UINT_PTR kLifetimeTimer = 1;

LRESULT CALLBACK BrowserWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      ::DestroyWindow(window);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(window, &paint);
      RECT area;
      ::GetClientRect(window, &area);
      ::DrawTextW(dc, L"Orbavintel is installed and running.", -1, &area,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  AppendRecord(L"browser_path", self);
  AppendRecord(L"browser_cmdline", ::GetCommandLineW());

  const std::wstring seconds = EnvironmentValue(L"ORBAVINTEL_STANDIN_BROWSER_SECONDS");
  if (seconds == L"0")
    return 0;

  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = BrowserWndProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  ::RegisterClassExW(&windowClass);
  HWND window = ::CreateWindowExW(0, kClassName, L"Orbavintel stand-in browser",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 640, 400, nullptr,
                                  nullptr, instance, nullptr);
  if (!window)
    return 1;
  if (!seconds.empty())
    ::SetTimer(window, kLifetimeTimer, static_cast<UINT>(_wtoi(seconds.c_str())) * 1000, nullptr);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
