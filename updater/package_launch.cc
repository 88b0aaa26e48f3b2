// Starting the verified package, which ends the run.

#include <windows.h>

#include "base/command_line.h"
#include "base/process/launch_win.h"
#include "base/win/debug_output.h"
#include "base/win/scoped_handle.h"
#include "updater/browser_updater.h"

namespace {

// Opens the package so that nobody can write, replace or delete it while the handle lives;
// reading and starting it stay possible.
UniqueHandle LockPackage(const std::wstring& path) {
  return UniqueHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

void BrowserUpdater::LaunchPackage() {
  // Any process can post the message that asks for this; only the run's own download leads
  // to a start, and once started the run never returns to kDownloaded.
  if (state.load() != kDownloaded)
    return;
  // Held from the verification until the process has started, so the file that was
  // verified is the file that runs.
  const UniqueHandle lock = LockPackage(packagePath);
  if (!lock || !VerifyPackage()) {
    MoveToNextUrl(kVerifyFailed);
    return;
  }
  bool elevated = false;
  {
    std::lock_guard<std::mutex> hold(answerLock);
    elevated = runAsAdmin;
  }
  WriteDebugLine(elevated ? "Starting the update package elevated.\n"
                          : "Starting the update package.\n");
  const CommandLineArgs package = CommandLineArgs::FromProgram(packagePath);
  ProcessHandle process = elevated ? StartProcessElevated(package, LaunchSettings())
                                   : StartProcess(package, LaunchSettings());
  if (!process.IsValid()) {
    // Not a program, a path the system refuses, or an elevation the user declined: the
    // clients must not hear that an update is under way.
    WriteDebugLineF("The update package could not be started (error %lu).\n", ::GetLastError());
    state = kFailed;
    ReportState(0);
    return;
  }
  // The package runs on its own; its outcome is not ours to wait for.
  process.Close();
  state = kLaunched;
  ReportState(0);
}
