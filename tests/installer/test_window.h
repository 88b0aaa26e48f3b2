#ifndef TESTS_INSTALLER_TEST_WINDOW_H_
#define TESTS_INSTALLER_TEST_WINDOW_H_

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "installer/ui/installer_wnd_proc.h"

// A root view that tests fill with widgets after the window exists.
class TestRoot : public XRootView {
 public:
  void DoneSetup(uint32_t result) override { results.push_back(result); }
  void OnCommand(UINT, WPARAM wParam, LPARAM) override { commands.push_back(wParam); }

  // Adds |child| and attaches it to the window, as a parent's OnCreate would.
  template <typename View>
  View* AddAttached(std::unique_ptr<View> child, RECT where) {
    child->SetRect(where);
    View* raw = AddChild(std::move(child));
    raw->Attach(instance, window);
    return raw;
  }

  std::vector<uint32_t> results;
  std::vector<WPARAM> commands;
};

// A real top-level window served by InstallerWndProc, with a fresh TestRoot, at screen
// position (100, 100) with the given client size (borderless). Destroyed with the object.
class TestWindow {
 public:
  explicit TestWindow(SIZE size = {400, 300});
  // With a root of the given factory's making instead of a TestRoot; root() is then null.
  TestWindow(SIZE size, RootViewFactory factory);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND get() const { return window; }
  TestRoot* root() const { return testRoot; }
  XRootView* rootView() const { return anyRoot; }

  // Delivers every pending message of this thread (paints included).
  static void Pump();
  // Screen coordinates packed like a mouse message's lParam.
  LPARAM ScreenPoint(int clientX, int clientY) const;

 private:
  void Create(SIZE size, RootViewFactory factory);

  HWND window = nullptr;
  TestRoot* testRoot = nullptr;
  XRootView* anyRoot = nullptr;
};

#endif  // TESTS_INSTALLER_TEST_WINDOW_H_
