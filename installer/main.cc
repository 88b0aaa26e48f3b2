// installer: the offline install wizard. Shows one borderless window, installs the embedded
// mini installer into the chosen folder and offers to launch the browser.

#include <windows.h>
#include <objbase.h>

#include <memory>

#include "base/win/debug_output.h"
#include "base/win/display_metrics.h"
#include "base/win/library_search.h"
#include "base/win/single_instance.h"
#include "installer/exit_codes.h"
#include "installer/installer_switches.h"
#include "installer/installer_view.h"
#include "installer/installer_window.h"
#include "installer/ui/back_buffer.h"
#include "installer/ui/dpi_awareness.h"
#include "installer/ui/installer_wnd_proc.h"
#include "installer/ui/posted_message_filter.h"
#include "installer/ui/window_position.h"

namespace {

constexpr SIZE kWindowSize = {1000, 600};
// "Local\" keeps the rule per session, as the window search is per desktop.
constexpr wchar_t kInstallerMutexName[] = L"Local\\OrbavintelInstallerInstance";
// The custom page's height: the wizard's scale is the largest at which every page fits.
constexpr SIZE kTallestPage = {1000, 740};

int RunMessageLoop() {
  MSG message = {};
  BOOL result;
  while ((result = ::GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (result == -1)
      break;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  LoadLibrariesFromSystemFolderOnly();
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  DeclarePerMonitorDpiAwareness();
  const InstallerSwitches switches = ParseInstallerSwitches(commandLine ? commandLine : "");
  WriteDebugLineF("Installer switches: /s %d, /r %d, /d %d.\n", switches.silent,
                  switches.autoLaunch, switches.makeDefault);

  const SingleInstance single(kInstallerWindowClass, kInstallerMutexName);
  if (!single.IsFirst()) {
    WriteDebugLine("Installer already running.\n");
    return kExitNormal;
  }

  // The folder picker needs a single-threaded apartment.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  SetInstallerModule(instance);
  SetRootViewFactory([switches] {
    return std::make_unique<InstallerView>(switches.silent, switches.autoLaunch,
                                           switches.makeDefault);
  });

  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = InstallerWndProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kInstallerWindowClass;
  if (!::RegisterClassExW(&windowClass))
    return kExitClassNotRegistered;

  // Before the window exists: a silent start may already show a message box.
  const PostedDpiChangeFilter dpiChangeFilter;
  // The window opens on the primary monitor, which holds the screen's origin.
  const RECT work = WorkAreaNearest(RECT{0, 0, 1, 1});
  const int dpi = DpiOfMonitor(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
  const DisplayScale scale = FitScale(dpi, kTallestPage, work);
  if (!scale.IsBase())
    WriteDebugLineF("Display scale: %d DPI.\n", scale.Dpi());
  SetWindowScale(scale);
  const WindowPlacement place =
      PlaceInWorkArea(scale.Pixels(kWindowSize), scale.Pixels(kTallestPage), work);
  const DWORD style = WS_OVERLAPPEDWINDOW | (switches.silent ? 0 : WS_VISIBLE);
  const HWND window =
      ::CreateWindowExW(0, kInstallerWindowClass, kInstallerWindowTitle, style, place.x, place.y,
                        place.width, place.height, nullptr, nullptr, instance, nullptr);
  if (!window)
    return kExitWindowNotCreated;

  // No caption, frame or system menu: the bare background drags the window. The frame
  // change only takes effect once the platform recomputes the non-client area.
  ::SetWindowLongW(window, GWL_STYLE, 0);
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::ShowWindow(window, switches.silent ? SW_HIDE : SW_SHOW);

  const int exitCode = RunMessageLoop();
  if (exitCode == kExitInterrupted)
    WriteDebugLine("Silent install interrupted before its result.\n");
  ReleaseBackBuffer();
  if (SUCCEEDED(com))
    ::CoUninitialize();
  return exitCode;
}
