// orbavintelup: the hidden background updater. One run makes one update attempt.

#include <windows.h>

#include <memory>
#include <string>

#include "base/win/command_line.h"
#include "base/win/library_search.h"
#include "base/win/logging.h"
#include "base/win/single_instance.h"
#include "base/win/text_conversion.h"
#include "updater/browser_updater.h"
#include "updater/client_windows.h"
#include "updater/message_loop.h"
#include "updater/proxy_policy.h"
#include "updater/run_limits.h"
#include "updater/state_report.h"
#include "updater/update_keys.h"
#include "updater/update_messages.h"
#include "updater/update_server.h"
#include "updater/updater_window.h"

namespace {

constexpr int kExitNormal = 0;
constexpr int kExitClassNotRegistered = 1;
constexpr int kExitWindowNotCreated = 2;

// The session's updater mutex (see SingleInstance).
constexpr wchar_t kUpdaterMutexName[] = L"Local\\OrbavintelUpdaterInstance";

void CreateUpdater(const CommandLineArgs& args) {
  const std::string version = args.GetSwitchValueASCII("version");
  auto updater = std::make_unique<BrowserUpdater>(
      version, args.GetSwitchValueASCII("arch"), args.GetSwitchValueASCII("channel"),
      args.GetSwitchValueASCII("device"), args.GetSwitchValueASCII("lang"));
  updater->SetStateCallback(OnUpdaterState);
  updater->SetWatchRequest(RequestWatch);
  updater->SetPendingStopCheck(IsStopQueued);
  updater->SetCheckUrl(GetUpdateCheckUrl(args));
  updater->SetAnswerKeys(kUpdateKeys);
  updater->SetLimits(GetRunLimits(args));
  BrowserUpdater* const instance = updater.get();
  SetBrowserUpdater(std::move(updater));
  RegisterClientFromCommandLine(args.GetSwitchValueASCII("client"), version,
                                {GetUpdaterWindow(), instance});
  instance->CheckForUpdate();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  LoadLibrariesFromSystemFolderOnly();
  // A hidden program has nobody to answer a dialog: a crash ends the process instead.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  CommandLineArgs::InitForCurrentProcess();
  const CommandLineArgs& args = *CommandLineArgs::ForCurrentProcess();
  logging::LogSettings logSettings;
  logSettings.destinations = logging::kLogToSystemDebugLog;
  logging::InitLogging(logSettings);

  // The installed version's folder holds the package files; whether it exists is the
  // check's concern, not start-up's.
  const std::string version = args.GetSwitchValueASCII("version");
  if (!version.empty())
    ::SetCurrentDirectoryW(Utf8ToWide(version).c_str());

  const SingleInstance single(kUpdaterWindowClass, kUpdaterMutexName);
  if (!single.IsFirst())
    return kExitNormal;

  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = UpdaterWndProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(1));
  windowClass.lpszClassName = kUpdaterWindowClass;
  if (!::RegisterClassExW(&windowClass))
    return kExitClassNotRegistered;

  // An ordinary top-level window, never shown, so that FindWindow by class finds it.
  const HWND window =
      ::CreateWindowExW(0, kUpdaterWindowClass, kUpdaterWindowTitle, WS_OVERLAPPEDWINDOW, 0, 0, 0,
                        0, nullptr, nullptr, instance, nullptr);
  if (!window)
    return kExitWindowNotCreated;
  SetUpdaterWindow(window);
  // Before the updater exists: its first state change already asks for a look.
  GetWatchEvent();

  LoadProxyPolicy();
  CreateUpdater(args);
  const int exitCode = RunMessageLoop();
  // End the updater while everything it reports to still exists: a transfer callback may
  // still be running on a WinHTTP thread.
  SetBrowserUpdater(nullptr);
  return exitCode;
}
