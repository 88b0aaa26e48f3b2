#include "installer/ui/posted_message_filter.h"

#include "base/win/debug_output.h"

namespace {

LRESULT CALLBACK DropPostedDpiChange(int code, WPARAM removal, LPARAM lParam) {
  MSG* message = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && message && message->message == WM_DPICHANGED) {
    // Logged once per message: a peek that leaves it in the queue shows it again later.
    if (removal == PM_REMOVE)
      WriteDebugLine("Ignored a posted WM_DPICHANGED.\n");
    message->message = WM_NULL;
    message->wParam = 0;
    message->lParam = 0;
  }
  return ::CallNextHookEx(nullptr, code, removal, lParam);
}

}  // namespace

PostedDpiChangeFilter::PostedDpiChangeFilter() {
  hook.reset(
      ::SetWindowsHookExW(WH_GETMESSAGE, DropPostedDpiChange, nullptr, ::GetCurrentThreadId()));
  if (!hook)
    WriteDebugLineF("Fail filter posted messages: %lu.\n", ::GetLastError());
}
