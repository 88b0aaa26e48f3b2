// The wizard's flow: clicks, page changes, the checks before installing and the done step.

#include <string>

#include "base/win/debug_output.h"
#include "base/win/module_path.h"
#include "base/win/text_conversion.h"
#include "client_state/client_state_registry.h"
#include "installer/exit_codes.h"
#include "installer/install_location.h"
#include "installer/installer_view.h"
#include "installer/setup_result.h"
#include "installer/ui/resources/resource_ids.h"
#include "installer/ui/x_button.h"
#include "installer/ui/x_edit_box.h"
#include "installer/ui/x_progress_bar.h"

namespace {

// The fixed partner identifier of this installer, reported by the updater.
constexpr char kPartnerId[] = "major";

bool IsSuccessfulSetup(uint32_t result) {
  return result <= 2;
}

// The file name of the running program in the ANSI code page: what follows the last '/' or
// '\' of its path, cut to a path buffer's length as the narrow module-name call cuts it.
std::string OwnFileName() {
  std::string full = WideToAnsi(GetModulePath());
  if (full.size() >= MAX_PATH)
    full.resize(MAX_PATH - 1);
  const size_t slash = full.find_last_of("/\\");
  return slash == std::string::npos ? full : full.substr(slash + 1);
}

}  // namespace

void InstallerView::OnViewClicked(XView* sender) {
  if (sender == closeButton) {
    if (page.load() == kInstallingPage)
      ShowMessage(IDS_WAIT_FOR_INSTALL, MB_ICONINFORMATION);
    else
      Close();
  } else if (sender == minimizeButton) {
    Minimize();
  } else if (sender == installButton) {
    WriteDebugLine("on start button pressed.\n");
    StartInstall();
  } else if (sender == actionButton) {
    WriteDebugLine("on done button pressed.\n");
    if (launchOnDone)
      LaunchInstalledBrowser();
    Close();
  } else if (sender == checkedBox) {
    SetAgreed(false);
  } else if (sender == uncheckedBox) {
    SetAgreed(true);
  } else if (sender == agreeButton) {
    SetAgreed(!agreed);
  } else if (sender == licenseLink) {
    OpenTermsPage();
  } else if (sender == expandArrow) {
    SetPage(kCustomPage);
  } else if (sender == collapseArrow) {
    SetPage(kDefaultPage);
  } else if (sender == modeToggle) {
    SetPage(page.load() == kDefaultPage ? kCustomPage : kDefaultPage);
  } else if (sender == browseButton) {
    ChooseInstallFolder();
  }
}

void InstallerView::SetAgreed(bool isAgreed) {
  if (page.load() > kCustomPage)
    return;
  XButton* shownBox = AgreementBox();
  agreed = isAgreed;
  checkedBox->SetVisible(isAgreed);
  uncheckedBox->SetVisible(!isAgreed);
  // The two faces are one check box to the keyboard and to screen readers.
  if (GetFocusedView() == shownBox)
    SetFocusedView(AgreementBox());
  Announce(EVENT_OBJECT_STATECHANGE, AgreementBox());
}

void InstallerView::SetPage(WizardPage newPage) {
  page.store(newPage);
  const PageLayout& layout = kPages[newPage];
  const SIZE size = scale.Pixels(SIZE{layout.width, layout.height});
  if (SetWindowSize(size))
    SetRect(RECT{0, 0, size.cx, size.cy});
  if (newPage == kCustomPage) {
    pathEdit->SetText(installPath);
    modeToggle->SetText(LoadStringResource(IDS_DEFAULT));
  } else if (newPage == kDefaultPage) {
    modeToggle->SetText(LoadStringResource(IDS_CUSTOMIZE));
    // A folder typed or picked on the custom page is dropped on the way back.
    installPath = GetDefaultInstallDir();
    pathEdit->SetText(installPath);
  }
  Layout();
  Invalidate();
  Announce(EVENT_OBJECT_REORDER, nullptr);
  SetFocusedView(MainButtonOf(newPage));
}

bool InstallerView::StartInstall() {
  if (!agreed) {
    ShowMessage(IDS_CHECK_AGREEMENT, MB_ICONINFORMATION);
    return false;
  }
  if (!InstallPathFits()) {
    WriteDebugLine("Install folder too long.\n");
    RefuseInstall(IDS_FOLDER_REFUSED, MB_ICONWARNING, kExitFolderRefused);
    return false;
  }
  if (!CheckInstallVolume(installPath)) {
    WriteDebugLine("Install folder refused.\n");
    RefuseInstall(IDS_FOLDER_REFUSED, MB_ICONWARNING, kExitFolderRefused);
    return false;
  }
  if (installPath == GetDefaultInstallDir())
    WriteDebugLine("Will install to the default location.\n");
  if (!WriteCustomInstallPath(installPath)) {
    WriteDebugLine("Fail write install path.\n");
    RefuseInstall(IDS_REGISTRY_FAILED, MB_ICONERROR, kExitInstallPathNotRecorded);
    return false;
  }
  actionButton->SetText(LoadStringResource(IDS_INSTALLING));
  actionButton->SetEnabled(false);
  checkedBox->SetEnabled(false);
  uncheckedBox->SetEnabled(false);
  launchOnDone = false;
  SetPage(kInstallingPage);
  // Until the result arrives, a silent run that is closed has not installed anything yet.
  if (silent)
    SetQuitCode(kExitInterrupted);
  worker.SetDelegate(this);
  if (!worker.Start()) {
    // Without a worker no result would ever come: report the failure instead of waiting.
    WriteDebugLine("fail start install worker.\n");
    ::PostMessageW(window, XWM_SETUP_DONE, kSetupNotStarted, 0);
    return false;
  }
  return true;
}

void InstallerView::DoneSetup(uint32_t result) {
  WriteDebugLineF("\nInstallerView::DoneSetup: %d\n", static_cast<int>(result));
  const bool succeeded = IsSuccessfulSetup(result);
  actionButton->SetText(LoadStringResource(succeeded ? IDS_LAUNCH : IDS_DONE));
  Announce(EVENT_OBJECT_NAMECHANGE, actionButton);
  launchOnDone = succeeded;
  RecordPartnerData();
  progressBar->SetProgress(0);
  progressBar->SetVisible(false);
  if (autoLaunch) {
    WriteDebugLine("auto launch when installed.\n");
    LaunchInstalledBrowser();
  } else {
    WriteDebugLine("manual launch when installed.\n");
    actionButton->SetEnabled(true);
  }
  SetPage(kFinishedPage);
  if (silent)
    SetQuitCode(succeeded ? kExitNormal : kExitSetupFailed);
  if (autoLaunch || silent)
    Close();
}

void InstallerView::RecordPartnerData() {
  WriteDebugLine("Partner id: ");
  WriteDebugLine(kPartnerId);
  WriteDebugLine("\n");
  WritePartnerId(kPartnerId);
  WriteInstallerName(OwnFileName());
}

bool InstallerView::InstallPathFits() const {
  // The box reads at most 259 characters: a longer folder must not pass as its cut start.
  const HWND box = pathEdit->GetControl();
  if (box && ::GetWindowTextLengthW(box) >= XEditBox::kTextBufferSize)
    return false;
  return installPath.size() < MAX_PATH;
}

void InstallerView::ShowMessage(UINT textId, UINT icon) {
  // Nobody would answer it: an unattended run must never stop at a box.
  if (silent) {
    WriteDebugLineF("Silent run shows no message %u.\n", textId);
    return;
  }
  const std::wstring text = LoadStringResource(textId);
  const std::wstring caption = LoadStringResource(IDS_MESSAGE_CAPTION);
  ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | icon);
}

void InstallerView::RefuseInstall(UINT textId, UINT icon, int silentExitCode) {
  ShowMessage(textId, icon);
  if (!silent)
    return;
  SetQuitCode(silentExitCode);
  Close();
}

void InstallerView::OnCommand(UINT, WPARAM, LPARAM) {
  installPath = pathEdit->GetText();
}

void InstallerView::ChooseInstallFolder() {
  std::wstring chosen = installPath;
  if (PickInstallFolder(LoadStringResource(IDS_PICK_FOLDER_TITLE), window, chosen)) {
    WriteDebugLine(chosen + L"\n");
    installPath = chosen;
    pathEdit->SetText(chosen);
  } else {
    WriteDebugLine("User canceled path selecting.\n");
  }
}
