// A stand-in browser window that follows the updater: it registers with it, prints every
// message it receives (one line each, flushed) and ends on the updater's final message.
//
//   client_window.exe [--launch=<updater.exe>] [--register] [--register-updater]
//                     [--version=a.b.c.d] [--ping] [--ping-null] [--post=<offset>,...]
//                     [--close] [--close-after=<ms>]
//                     [--stop-on=<message name>] [--flood] [--stay] [--timeout=<ms>]
//                     [-- <updater switches...>]
//
// --launch starts the updater with "--client=<this window>" added, followed by whatever
// stands after a "--" argument, and reports its exit code. --register posts
// UWM_REGISTER_CLIENT to a running updater (found by class) with --version packed,
// --register-updater posts the same with the updater's own window as the client (the
// updater must refuse it), --ping asks it for UWM_PING_REPLY (--ping-null asks for no
// reply), --post=N,... posts WM_USER+100+N for each N (wParam: this window) and --close posts
// WM_CLOSE, at once or, with --close-after, that many milliseconds after the start (or as soon
// as the updater's window exists). --stop-on
// posts UWM_UPDATE_FAILED to the updater the moment the named message arrives, as a browser
// stops a run, and prints STOP_POSTED. --flood posts UWM_PING without a window to answer, as
// fast as it can, for as long as the launched updater runs, and prints how many. Without --stay
// the client ends after the first final message (no update, verify failed, launched, failed) or
// when a launched updater ends; it always ends at the timeout (default 60000 ms), with exit code 3.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

#include "base/win/command_line.h"
#include "base/win/launch.h"
#include "updater/client_version.h"
#include "updater/update_messages.h"

namespace {

constexpr UINT_PTR kTimeoutTimer = 1;
constexpr UINT_PTR kCloseTimer = 2;
constexpr UINT kCloseRetryMs = 20;
constexpr int kExitTimeout = 3;

struct MessageName {
  UINT message;
  const char* name;
  bool final;
};

constexpr MessageName kMessageNames[] = {
    {UWM_CHECKING, "UWM_CHECKING", false},
    {UWM_NO_UPDATE, "UWM_NO_UPDATE", true},
    {UWM_UPDATE_AVAILABLE, "UWM_UPDATE_AVAILABLE", false},
    {UWM_DOWNLOAD_PROGRESS, "UWM_DOWNLOAD_PROGRESS", false},
    {UWM_DOWNLOAD_COMPLETE, "UWM_DOWNLOAD_COMPLETE", false},
    {UWM_VERIFY_FAILED, "UWM_VERIFY_FAILED", true},
    {UWM_INSTALLER_LAUNCHED, "UWM_INSTALLER_LAUNCHED", true},
    {UWM_UPDATE_FAILED, "UWM_UPDATE_FAILED", true},
    {UWM_CLIENT_REGISTERED, "UWM_CLIENT_REGISTERED", false},
    {UWM_PING_REPLY, "UWM_PING_REPLY", false},
};

bool g_stay = false;
std::string g_stopOn;

int g_exitCode = 0;

const MessageName* FindMessageName(UINT message) {
  for (const MessageName& entry : kMessageNames) {
    if (entry.message == message)
      return &entry;
  }
  return nullptr;
}

HWND FindUpdater() {
  return ::FindWindowW(kUpdaterWindowClass, nullptr);
}

void PostToUpdater(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND updater = FindUpdater();
  if (!updater) {
    std::printf("NO_UPDATER\n");
    std::fflush(stdout);
    return;
  }
  ::PostMessageW(updater, message, wParam, lParam);
}

LRESULT CALLBACK ClientWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (const MessageName* entry = FindMessageName(message)) {
    std::printf("%s %llu %lld\n", entry->name, static_cast<unsigned long long>(wParam),
                static_cast<long long>(lParam));
    std::fflush(stdout);
    if (g_stopOn == entry->name) {
      PostToUpdater(UWM_UPDATE_FAILED, reinterpret_cast<WPARAM>(window), 0);
      std::printf("STOP_POSTED\n");
      std::fflush(stdout);
    }
    if (entry->final && !g_stay)
      ::PostQuitMessage(0);
    return 0;
  }
  if (message == WM_TIMER && wParam == kCloseTimer) {
    // An updater still starting gets its window a moment later.
    if (const HWND updater = FindUpdater()) {
      ::KillTimer(window, kCloseTimer);
      ::PostMessageW(updater, WM_CLOSE, 0, 0);
    } else {
      ::SetTimer(window, kCloseTimer, kCloseRetryMs, nullptr);
    }
    return 0;
  }
  if (message == WM_TIMER && wParam == kTimeoutTimer) {
    std::printf("TIMEOUT\n");
    std::fflush(stdout);
    g_exitCode = kExitTimeout;
    ::PostQuitMessage(kExitTimeout);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateClientWindow(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ClientWndProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"OrbavintelTestClientWndClass";
  if (!::RegisterClassExW(&windowClass))
    return nullptr;
  return ::CreateWindowExW(0, windowClass.lpszClassName, L"Orbavintel test client",
                           WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

// Starts the updater with the client switch added and our arguments after "--" passed on.
ProcessHandle LaunchUpdater(const std::wstring& program, const CommandLineArgs& args, HWND window) {
  std::wstring commandLine = QuoteForCommandLine(program);
  commandLine += L" --client=" + std::to_wstring(reinterpret_cast<uintptr_t>(window));
  bool passOn = false;
  for (const std::wstring& extra : args.GetArgs()) {
    if (passOn)
      commandLine += L" " + QuoteForCommandLine(extra);
    passOn = passOn || extra == L"--";
  }
  LaunchSettings settings;
  settings.showAsProgramChooses = true;
  return StartProgramAt(program, commandLine, settings);
}

}  // namespace

int wmain() {
  CommandLineArgs::InitForCurrentProcess();
  const CommandLineArgs& args = *CommandLineArgs::ForCurrentProcess();
  g_stay = args.HasSwitch("stay");
  g_stopOn = args.GetSwitchValueASCII("stop-on");
  const bool flood = args.HasSwitch("flood");
  unsigned long long floodPosts = 0;

  const HWND window = CreateClientWindow(::GetModuleHandleW(nullptr));
  if (!window) {
    std::printf("NO_WINDOW\n");
    return 1;
  }
  std::printf("CLIENT %llu\n",
              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
  std::fflush(stdout);

  const std::string timeoutText = args.GetSwitchValueASCII("timeout");
  const UINT timeout = timeoutText.empty() ? 60000 : std::stoul(timeoutText);
  ::SetTimer(window, kTimeoutTimer, timeout, nullptr);

  const WPARAM self = reinterpret_cast<WPARAM>(window);
  if (args.HasSwitch("register"))
    PostToUpdater(UWM_REGISTER_CLIENT, self,
                  PackClientVersion(Version(args.GetSwitchValueASCII("version"))));
  if (args.HasSwitch("register-updater"))
    PostToUpdater(UWM_REGISTER_CLIENT, reinterpret_cast<WPARAM>(FindUpdater()), 0);
  if (args.HasSwitch("ping"))
    PostToUpdater(UWM_PING, self, 0);
  if (args.HasSwitch("ping-null"))
    PostToUpdater(UWM_PING, 0, 0);
  if (args.HasSwitch("close"))
    PostToUpdater(WM_CLOSE, 0, 0);
  const std::string closeAfter = args.GetSwitchValueASCII("close-after");
  if (!closeAfter.empty())
    ::SetTimer(window, kCloseTimer, std::stoul(closeAfter), nullptr);
  // --post=N[,N...]: the offsets in the order given.
  const std::string postOffsets = args.GetSwitchValueASCII("post");
  for (size_t start = 0; start < postOffsets.size();) {
    size_t end = postOffsets.find(',', start);
    if (end == std::string::npos)
      end = postOffsets.size();
    PostToUpdater(kUpdaterMessageFirst + std::stoul(postOffsets.substr(start, end - start)), self,
                  0);
    start = end + 1;
  }

  ProcessHandle updater;
  const std::wstring program = args.GetSwitchValueNative("launch");
  if (!program.empty()) {
    updater = LaunchUpdater(program, args, window);
    if (!updater.IsValid()) {
      std::printf("LAUNCH_FAILED %lu\n", ::GetLastError());
      return 1;
    }
  }

  // Pump messages until the final report, the timeout, or the launched updater's end.
  while (true) {
    const HANDLE waitFor[] = {updater.get()};
    const DWORD count = updater.IsValid() ? 1 : 0;
    const bool flooding = flood && count;
    if (flooding) {
      // A burst between looks at our own queue, so the updater never finds its queue empty.
      const HWND target = FindUpdater();
      for (int i = 0; target && i < 256; ++i)
        floodPosts += ::PostMessageW(target, UWM_PING, 0, 0) ? 1 : 0;
    }
    const DWORD wake = ::MsgWaitForMultipleObjects(count, count ? waitFor : nullptr, FALSE,
                                                   flooding ? 0 : INFINITE, QS_ALLINPUT);
    if (count && wake == WAIT_OBJECT_0) {
      DWORD exitCode = 0;
      ::GetExitCodeProcess(updater.get(), &exitCode);
      // Reports posted just before the updater ended are still queued: take them first.
      MSG pending;
      while (::PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) {
        if (pending.message == WM_QUIT)
          break;
        ::DispatchMessageW(&pending);
      }
      std::printf("UPDATER_EXIT %lu\n", exitCode);
      std::fflush(stdout);
      updater.reset();
      if (!g_stay)
        break;
      continue;
    }
    MSG message;
    bool quit = false;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        break;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (quit)
      break;
  }
  if (flood)
    std::printf("FLOODED %llu\n", floodPosts);
  // A launched updater that outlived us must not linger after a timed-out run.
  if (updater.IsValid() && ::WaitForSingleObject(updater.get(), 2000) != WAIT_OBJECT_0) {
    ::TerminateProcess(updater.get(), 99);
    std::printf("UPDATER_KILLED\n");
  } else if (updater.IsValid()) {
    DWORD exitCode = 0;
    ::GetExitCodeProcess(updater.get(), &exitCode);
    std::printf("UPDATER_EXIT %lu\n", exitCode);
  }
  std::fflush(stdout);
  ::DestroyWindow(window);
  return g_exitCode;
}
