#include "tests/installer/test_window.h"

namespace {

const wchar_t kClassName[] = L"XViewTestWindowClass";

void RegisterOnce() {
  static bool registered = false;
  if (registered)
    return;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = InstallerWndProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClassName;
  ::RegisterClassExW(&windowClass);
  registered = true;
}

}  // namespace

TestWindow::TestWindow(SIZE size) {
  TestRoot* created = nullptr;
  Create(size, [&created] {
    auto root = std::make_unique<TestRoot>();
    created = root.get();
    return root;
  });
  testRoot = created;
}

TestWindow::TestWindow(SIZE size, RootViewFactory factory) {
  Create(size, std::move(factory));
}

void TestWindow::Create(SIZE size, RootViewFactory factory) {
  RegisterOnce();
  SetInstallerModule(::GetModuleHandleW(nullptr));
  ForgetRootViewForTesting();
  SetRootViewFactory(std::move(factory));
  window = ::CreateWindowExW(0, kClassName, L"test", WS_POPUP | WS_VISIBLE, 100, 100, size.cx,
                             size.cy, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  anyRoot = GetRootView();
  SetRootViewFactory(nullptr);
  Pump();
}

TestWindow::~TestWindow() {
  ::DestroyWindow(window);
  // WM_DESTROY posted a quit message; drop it so later pumps are not confused.
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  ForgetRootViewForTesting();
  delete anyRoot;
}

void TestWindow::Pump() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT)
      continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

LPARAM TestWindow::ScreenPoint(int clientX, int clientY) const {
  POINT point = {clientX, clientY};
  ::ClientToScreen(window, &point);
  return MAKELPARAM(point.x, point.y);
}
