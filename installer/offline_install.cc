// The install worker: writes the embedded mini installer to the temporary folder, runs it,
// advances the progress strip while waiting and hands the result to the window thread.

#include <string>

#include "base/win/debug_output.h"
#include "base/win/launch.h"
#include "base/win/scoped_handle.h"
#include "base/win/temp_file_path.h"
#include "installer/embedded_resource.h"
#include "installer/installer_view.h"
#include "installer/setup_result.h"
#include "installer/ui/x_progress_bar.h"

namespace {

constexpr wchar_t kPayloadName[] = L"ID_MINI_INSTALLER";
constexpr wchar_t kPayloadType[] = L"XBIN";
constexpr wchar_t kPayloadFileName[] = L"orbavintel_install.exe";
constexpr DWORD kProgressStepMs = 60;
constexpr DWORD kPathBufferSize = MAX_PATH;

// The payload's file in the temporary folder. False when the folder is not known in full
// (GetTempPathW gives nothing, or only the size it would need) or the file's path would
// not fit a path buffer: the payload must never land, or run, anywhere else.
bool PayloadPath(std::wstring* path) {
  *path = TempFilePath(kPayloadFileName);
  return !path->empty() && path->size() < kPathBufferSize;
}

}  // namespace

void InstallerView::Run(WorkerThread* thread) {
  if (thread == &worker)
    PerformOfflineInstall();
}

void InstallerView::PerformOfflineInstall() {
  WriteDebugLine("InstallerView::PerformOfflineInstall.\n");
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const EmbeddedResource payload(kPayloadName, kPayloadType, module);
  if (!payload.IsValid() || payload.Size() == 0) {
    WriteDebugLine("fail init offline package.\n");
    PostSetupResult(kSetupPayloadMissing);
    return;
  }

  std::wstring path;
  const bool pathFits = PayloadPath(&path);
  if (!pathFits)
    WriteDebugLine("Temporary folder does not fit a path.\n");
  // Held from the end of the write until the mini installer has started: nobody can swap it.
  UniqueHandle held;
  if (pathFits)
    held = payload.WriteHeldCopy(path.c_str());
  if (!held) {
    WriteDebugLine("fail extract offline package.\n");
    PostSetupResult(kSetupPayloadNotWritten);
    return;
  }

  // Not a fixed buffer: a long temporary folder would cut the switch off.
  const std::wstring commandLine = path + L" --make-chrome-default";
  WriteDebugLine(commandLine + L"\n");

  LaunchSettings settings;
  settings.showAsProgramChooses = true;
  const ProcessHandle process =
      StartProgramAt(path, makeDefault ? commandLine : std::wstring(), settings);
  // Started, it may want to remove its own file when it is done.
  held.reset();
  const bool running = process.IsValid();
  if (!running)
    WriteDebugLine("fail create offline install process.\n");

  WriteDebugLine("waiting");
  DWORD waited;
  do {
    WriteDebugLine(".");
    progressBar->SetProgress(progressBar->GetProgress() + 1);
    // Without a process the wait fails at once, which ends the loop after one step.
    waited = ::WaitForSingleObject(process.get(), kProgressStepMs);
  } while (waited == WAIT_TIMEOUT);
  WriteDebugLine("\nmini installer quit.\n");
  progressBar->SetProgress(100);
  PostSetupResult(running ? kSetupCompleted : kSetupNotStarted);
}

void InstallerView::PostSetupResult(uint32_t result) {
  // A result shown already (another sender's XWM_SETUP_DONE) is not replaced.
  if (page.load() < kFinishedPage)
    ::PostMessageW(window, XWM_SETUP_DONE, result, 0);
}
