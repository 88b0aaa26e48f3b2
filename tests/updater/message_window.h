#ifndef TESTS_UPDATER_MESSAGE_WINDOW_H_
#define TESTS_UPDATER_MESSAGE_WINDOW_H_

#include <windows.h>

#include <vector>

// A real window of the test's own thread that records the messages posted to it.
class MessageWindow {
 public:
  struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Posted&) const = default;
  };

  MessageWindow() {
    window = ::CreateWindowExW(0, L"STATIC", L"test", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
  }
  ~MessageWindow() {
    if (window)
      ::DestroyWindow(window);
  }
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  HWND get() const { return window; }

  // Removes and returns every message in the user range posted to this window so far.
  std::vector<Posted> Take() const {
    std::vector<Posted> posted;
    MSG message;
    while (::PeekMessageW(&message, window, WM_USER, 0x7FFF, PM_REMOVE))
      posted.push_back({message.message, message.wParam, message.lParam});
    return posted;
  }

  // Destroys the window now, so that posts to its handle fail.
  void Close() {
    ::DestroyWindow(window);
    window = nullptr;
  }

 private:
  HWND window = nullptr;
};

#endif  // TESTS_UPDATER_MESSAGE_WINDOW_H_
