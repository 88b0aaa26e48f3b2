// Starting the verified package, which ends the run.

#include <windows.h>

#include "base/win/command_line.h"
#include "base/win/debug_output.h"
#include "base/win/held_file.h"
#include "base/win/launch.h"
#include "updater/browser_updater.h"

void BrowserUpdater::LaunchPackage() {
  // Any process can post the message that asks for this; only the run's own download leads
  // to a start, and once started the run never returns to kDownloaded. A launch may wait on
  // the user's answer to an elevation prompt: kLaunching has no deadline.
  if (state.load() != kDownloaded || !ChangeState(kLaunching, Report::kNo))
    return;
  // Held from the verification until the process has started, so the file that was
  // verified is the file that runs.
  const UniqueHandle lock = HoldFile(packagePath);
  if (!lock || !VerifyPackage()) {
    MoveToNextUrl(kVerifyFailed);
    return;
  }
  if (LeaveToPendingStop("the package"))
    return;
  bool elevated = false;
  {
    std::lock_guard<SrwLock> hold(answerLock);
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
    ChangeState(kFailed, Report::kYes);
    return;
  }
  // The package runs on its own; its outcome is not ours to wait for.
  process.reset();
  // A stop that arrived while an elevation prompt was open is final: nothing more is reported.
  ChangeState(kLaunched, Report::kYes);
}
