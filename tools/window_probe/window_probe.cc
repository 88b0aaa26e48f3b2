// window_probe: looks at and drives the windows of other programs from inside Wine, for the
// installer's process tests. Prints "key=value" lines; exit code 0 on success, 1 when the
// window was not found in time, 2 on bad usage.
//
//   window_probe find CLASS [TIMEOUT_MS]        window, rect, client size, visibility
//   window_probe gone CLASS [TIMEOUT_MS]        waits until no such window exists
//   window_probe click CLASS X Y                posts move, press and release at client X, Y
//   window_probe move CLASS X Y                 posts a mouse move to client X, Y
//   window_probe post CLASS MESSAGE WPARAM [LPARAM]  posts MESSAGE (decimal), lParam 0 by default
//   window_probe send CLASS MESSAGE WPARAM [LPARAM]  the same, sent (5 s at most)
//   window_probe edit CLASS TEXT                sets the text of the window's Edit child
//   window_probe dialog [TIMEOUT_MS]            waits for a message box: caption, text, icon
//   window_probe dismiss [TIMEOUT_MS]           presses the message box's OK button
//   window_probe cancel [TIMEOUT_MS]            presses the dialog's Cancel button
//   window_probe tempdir                        the temporary folder this prefix uses
//   window_probe lock PATH MS                   holds PATH open without sharing for MS ms
//   window_probe swap PATH SUBSTITUTE MS        copies SUBSTITUTE over PATH again and again for
//                                               MS ms, as an attacker racing a writer would;
//                                               prints how many copies landed
//   window_probe volatile SUBKEY                creates HKCU\SUBKEY as a volatile key, under
//                                               which no lasting key can be created

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr DWORD kStepMs = 25;

void PrintUtf8(const wchar_t* key, const std::wstring& value) {
  std::wstring line = std::wstring(key) + L"=" + value + L"\n";
  const int bytes =
      ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(bytes, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, text.data(), bytes, nullptr, nullptr);
  std::fputs(text.c_str(), stdout);
}

template <typename Find>
HWND WaitFor(Find find, DWORD timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (HWND window = find())
      return window;
    if (::GetTickCount64() >= deadline)
      return nullptr;
    ::Sleep(kStepMs);
  }
}

HWND FindByClass(const wchar_t* className, DWORD timeoutMs) {
  return WaitFor([className] { return ::FindWindowW(className, nullptr); }, timeoutMs);
}

// A visible message box: class "#32770" with an OK button (id IDOK or IDCANCEL for a lone
// OK, depending on the platform).
HWND FindMessageBox(DWORD timeoutMs) {
  return WaitFor(
      [] {
        HWND box = nullptr;
        while ((box = ::FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
          if (::IsWindowVisible(box))
            return box;
        }
        return static_cast<HWND>(nullptr);
      },
      timeoutMs);
}

// WM_GETTEXT, not GetWindowText: for another process's window that only reads the title
// the window manager keeps, which an edit control does not use for its text.
std::wstring WindowText(HWND window) {
  wchar_t buffer[1024] = {};
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 5000, &copied);
  return buffer;
}

LPARAM ClientPoint(const wchar_t* x, const wchar_t* y) {
  return MAKELPARAM(_wtoi(x), _wtoi(y));
}

int Find(const wchar_t* className, DWORD timeoutMs) {
  HWND window = FindByClass(className, timeoutMs);
  if (!window)
    return 1;
  RECT bounds = {};
  RECT client = {};
  ::GetWindowRect(window, &bounds);
  ::GetClientRect(window, &client);
  wchar_t line[256];
  std::swprintf(line, 256, L"%p", static_cast<void*>(window));
  PrintUtf8(L"window", line);
  std::swprintf(line, 256, L"%ld,%ld,%ld,%ld", bounds.left, bounds.top, bounds.right,
                bounds.bottom);
  PrintUtf8(L"rect", line);
  std::swprintf(line, 256, L"%ld,%ld", client.right, client.bottom);
  PrintUtf8(L"client", line);
  PrintUtf8(L"visible", ::IsWindowVisible(window) ? L"1" : L"0");
  std::swprintf(line, 256, L"%ld", ::GetWindowLongW(window, GWL_STYLE));
  PrintUtf8(L"style", line);
  HWND edit = ::FindWindowExW(window, nullptr, L"Edit", nullptr);
  if (edit) {
    PrintUtf8(L"edit", WindowText(edit));
    PrintUtf8(L"edit_visible", ::IsWindowVisible(edit) ? L"1" : L"0");
    RECT placed = {};
    ::GetWindowRect(edit, &placed);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
    std::swprintf(line, 256, L"%ld,%ld,%ld,%ld", placed.left, placed.top, placed.right,
                  placed.bottom);
    PrintUtf8(L"edit_rect", line);
  }
  return 0;
}

int Dialog(DWORD timeoutMs) {
  HWND box = FindMessageBox(timeoutMs);
  if (!box)
    return 1;
  PrintUtf8(L"caption", WindowText(box));
  // The message is the static control without the icon style.
  HWND child = nullptr;
  std::wstring icon = L"none";
  while ((child = ::FindWindowExW(box, child, L"Static", nullptr)) != nullptr) {
    if ((::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      icon = L"yes";
      continue;
    }
    const std::wstring text = WindowText(child);
    if (!text.empty())
      PrintUtf8(L"text", text);
  }
  PrintUtf8(L"icon", icon);
  PrintUtf8(L"owner", ::GetWindow(box, GW_OWNER) ? L"yes" : L"none");
  return 0;
}

int Dismiss(DWORD timeoutMs, int buttonId) {
  HWND box = FindMessageBox(timeoutMs);
  if (!box)
    return 1;
  HWND ok = ::GetDlgItem(box, buttonId);
  if (!ok)
    ok = ::GetDlgItem(box, IDCANCEL);
  if (ok)
    ::PostMessageW(ok, BM_CLICK, 0, 0);
  else
    ::PostMessageW(box, WM_COMMAND, buttonId, 0);
  // Wait for the box to go so that the next command sees the program's next state.
  const ULONGLONG deadline = ::GetTickCount64() + 5000;
  while (::IsWindow(box) && ::GetTickCount64() < deadline)
    ::Sleep(kStepMs);
  return ::IsWindow(box) ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2)
    return 2;
  // Rects in the pixels the installer draws, which is aware of the display scale: a program
  // that is not gets other windows' rects scaled to 96 DPI (Windows, Wine 10).
  if (!::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2))
    ::SetProcessDPIAware();
  const std::wstring command = argv[1];
  auto timeoutAt = [&](int index) -> DWORD {
    return argc > index ? static_cast<DWORD>(_wtoi(argv[index])) : 10000;
  };
  if (command == L"find" && argc >= 3)
    return Find(argv[2], timeoutAt(3));
  if (command == L"gone" && argc >= 3) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutAt(3);
    while (::FindWindowW(argv[2], nullptr)) {
      if (::GetTickCount64() >= deadline)
        return 1;
      ::Sleep(kStepMs);
    }
    return 0;
  }
  if ((command == L"click" || command == L"move") && argc >= 5) {
    HWND window = FindByClass(argv[2], 10000);
    if (!window)
      return 1;
    const LPARAM point = ClientPoint(argv[3], argv[4]);
    ::PostMessageW(window, WM_MOUSEMOVE, 0, point);
    if (command == L"click") {
      ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
      ::PostMessageW(window, WM_LBUTTONUP, 0, point);
    }
    return 0;
  }
  if ((command == L"post" || command == L"send") && argc >= 5) {
    HWND window = FindByClass(argv[2], 10000);
    if (!window)
      return 1;
    const UINT message = static_cast<UINT>(_wtoi(argv[3]));
    const WPARAM wParam = static_cast<WPARAM>(_wtoi64(argv[4]));
    const LPARAM lParam = argc >= 6 ? static_cast<LPARAM>(_wtoi64(argv[5])) : 0;
    if (command == L"post")
      return ::PostMessageW(window, message, wParam, lParam) ? 0 : 1;
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer)
               ? 0
               : 1;
  }
  if (command == L"edit" && argc >= 4) {
    HWND window = FindByClass(argv[2], 10000);
    HWND edit = window ? ::FindWindowExW(window, nullptr, L"Edit", nullptr) : nullptr;
    if (!edit)
      return 1;
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
    return 0;
  }
  if (command == L"dialog")
    return Dialog(timeoutAt(2));
  if (command == L"dismiss")
    return Dismiss(timeoutAt(2), IDOK);
  if (command == L"cancel")
    return Dismiss(timeoutAt(2), IDCANCEL);
  if (command == L"lock" && argc >= 4) {
    HANDLE file = ::CreateFileW(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
      return 1;
    PrintUtf8(L"locked", argv[2]);
    std::fflush(stdout);
    ::Sleep(static_cast<DWORD>(_wtoi(argv[3])));
    ::CloseHandle(file);
    return 0;
  }
  if (command == L"swap" && argc >= 5) {
    PrintUtf8(L"swapping", argv[2]);
    std::fflush(stdout);
    const ULONGLONG end = ::GetTickCount64() + static_cast<DWORD>(_wtoi(argv[4]));
    unsigned long landed = 0;
    while (::GetTickCount64() < end)
      landed += ::CopyFileW(argv[3], argv[2], FALSE) ? 1 : 0;
    PrintUtf8(L"landed", std::to_wstring(landed));
    return 0;
  }
  if (command == L"volatile" && argc >= 3) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, argv[2], 0, nullptr, REG_OPTION_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return 1;
    }
    ::RegCloseKey(key);
    return 0;
  }
  if (command == L"tempdir") {
    wchar_t path[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, path);
    PrintUtf8(L"temp", path);
    return 0;
  }
  return 2;
}
