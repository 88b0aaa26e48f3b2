// The install worker: writes the embedded mini installer to the temporary folder, runs it,
// advances the progress strip while waiting and hands the result to the window thread.

#include <cwchar>

#include "base/win/debug_output.h"
#include "base/win/scoped_handle.h"
#include "installer/embedded_resource.h"
#include "installer/installer_view.h"
#include "installer/setup_result.h"
#include "installer/ui/x_progress_bar.h"

namespace {

constexpr wchar_t kPayloadName[] = L"ID_MINI_INSTALLER";
constexpr wchar_t kPayloadType[] = L"XBIN";
constexpr wchar_t kPayloadFileName[] = L"orbavintel_install.exe";
constexpr DWORD kProgressStepMs = 60;
constexpr size_t kPathBufferSize = MAX_PATH;

}  // namespace

void InstallerView::Run(WorkerThread* thread) {
  if (thread == &worker)
    PerformOfflineInstall();
}

void InstallerView::PerformOfflineInstall() {
  WriteDebugLine("InstallerView::PerformOfflineInstall.\n");
  const EmbeddedResource payload(kPayloadName, kPayloadType, ::GetModuleHandleW(nullptr));
  if (!payload.IsValid() || payload.Size() == 0) {
    WriteDebugLine("fail init offline package.\n");
    PostSetupResult(kSetupPayloadMissing);
    return;
  }

  wchar_t tempFolder[kPathBufferSize] = {};
  ::GetTempPathW(kPathBufferSize, tempFolder);
  wchar_t path[kPathBufferSize] = {};
  std::swprintf(path, kPathBufferSize, L"%ls%ls", tempFolder, kPayloadFileName);
  if (!payload.WriteToFile(path)) {
    WriteDebugLine("fail extract offline package.\n");
    PostSetupResult(kSetupPayloadNotWritten);
    return;
  }

  wchar_t commandLine[kPathBufferSize] = {};
  std::swprintf(commandLine, kPathBufferSize, L"%ls --make-chrome-default", path);
  WriteDebugLine(std::wstring(commandLine) + L"\n");

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  const bool running = ::CreateProcessW(path, makeDefault ? commandLine : nullptr, nullptr, nullptr,
                                        FALSE, 0, nullptr, nullptr, &startup, &started) != FALSE;
  UniqueHandle process(running ? started.hProcess : nullptr);
  UniqueHandle mainThread(running ? started.hThread : nullptr);
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
