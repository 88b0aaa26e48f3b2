#ifndef INSTALLER_INSTALLER_VIEW_H_
#define INSTALLER_INSTALLER_VIEW_H_

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "installer/ui/gdi_handles.h"
#include "installer/ui/installer_wnd_proc.h"
#include "installer/ui/x_view_listener.h"
#include "installer/wizard_pages.h"
#include "installer/worker_thread.h"

class XButton;
class XEditBox;
class XLabel;
class XProgressBar;

// The root view of the installer window and the install wizard behind it: builds the
// nineteen widgets, lays them out per page, paints the frame and page picture, reacts to
// every click and runs the install. Every operation runs on the window thread, except Run
// and PerformOfflineInstall, which run on the install worker.
class InstallerView : public XRootView, public XViewListener, public ThreadDelegate {
 public:
  InstallerView(bool silentRun, bool launchWhenDone, bool askForDefault);
  ~InstallerView() override;

  // Builds the pictures and widgets, sets the default install folder and, when silent,
  // starts the install.
  void OnCreate(HINSTANCE instance, HWND window) override;
  // Positions and shows the widgets for the current page.
  void OnLayout() override;
  // The grey frame and the page picture above the band.
  void OnPaint(HDC dc) override;
  // Loads the pictures drawn for the new scale.
  void OnScaleChanged() override;
  // The current page's size, and the custom page's, the tallest.
  SIZE LogicalWindowSize() const override;
  SIZE TallestWindowSize() const override;

  // Copies the path box into installPath after the user edited it.
  void OnCommand(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Keyboard and screen readers: the page's widgets in focus order, the page's texts and
  // progress strip, Enter's default button and what Esc or Alt+F4 do (the close button's
  // click).
  std::vector<XView*> FocusOrder() const override;
  XView* FocusTargetOf(XView* pressed) const override;
  XView* GetDefaultButton() const override;
  void OnCloseRequested() override;
  std::vector<XView*> AccessibleChildren() const override;

  // Every wizard button reports here.
  void OnViewClicked(XView* sender) override;
  // The done step: texts the action button by |result| (0, 1 and 2 are success), records
  // the partner data and shows the finished page; closes when silent or auto-launching.
  void DoneSetup(uint32_t result) override;

  // Checks the agreement and the folder, records the folder and starts the install worker.
  // False, after a message box and with nothing changed, when a check fails; a silent run
  // shows no box and ends at once with a non-zero exit code.
  bool StartInstall();
  // Switches to |newPage|: window size, toggle text, path reset on page 0, layout.
  void SetPage(WizardPage newPage);
  // Sets the agreement and the check box; ignored on the installing and finished pages.
  void SetAgreed(bool isAgreed);

  // Starts the browser from the launch command the mini installer recorded; at most once
  // per run, whatever the outcome of the first call.
  void LaunchInstalledBrowser();
  // Opens the licence terms in the user's default browser, in the user's language.
  void OpenTermsPage();

  // Worker thread: runs PerformOfflineInstall when |thread| is this view's worker.
  void Run(WorkerThread* thread) override;

  WizardPage GetPage() const { return page.load(); }
  bool IsAgreed() const { return agreed; }
  const std::wstring& GetInstallPath() const { return installPath; }

 private:
  // Shows a message box without owner, captioned with string 203; a silent run only logs
  // that it shows none.
  void ShowMessage(UINT textId, UINT icon);
  // Tells why the install cannot start: a message box, or in a silent run, which cannot ask
  // anyone, the end of the program with |silentExitCode| at once.
  void RefuseInstall(UINT textId, UINT icon, int silentExitCode);
  // Whether the folder fits a path: neither cut by the path box nor longer than 259.
  bool InstallPathFits() const;
  void ChooseInstallFolder();
  void RecordPartnerData();
  // Worker thread: writes and runs the mini installer, advancing the progress strip, and
  // posts the result to the window. Touches nothing else of the view but `page`.
  void PerformOfflineInstall();
  // Worker thread: posts XWM_SETUP_DONE with |result| unless the finished page is shown.
  void PostSetupResult(uint32_t result);
  void CreateWidgets();
  // Names and roles for screen readers, in the page's language.
  void DescribeWidgets();
  // The visible widgets of the current page that a user can reach, in focus order,
  // disabled ones included.
  std::vector<XView*> PageWidgets() const;
  // The widget each page starts with focused; null on the installing page.
  XView* MainButtonOf(WizardPage wizardPage) const;
  // The face of the agreement box the current agreement shows.
  XButton* AgreementBox() const;
  // The picture of |pageShown| at the window's scale, decoded on first use; null when
  // missing.
  HBITMAP PagePicture(WizardPage pageShown);
  // Gives |view| the rectangle |logical| (at 96 DPI) at the window's scale.
  void Place(XView* view, const RECT& logical) const;
  void LayoutAgreementRow(const PageLayout& layout, int right, int bottom);
  void LayoutPathRow(const PageLayout& layout, int right);
  const PageLayout& CurrentPage() const;

  const bool silent;
  const bool autoLaunch;
  const bool makeDefault;
  bool browserLaunched = false;
  // Also read by the install worker.
  std::atomic<WizardPage> page{kDefaultPage};
  std::wstring installPath;
  UniquePen borderPen;
  std::array<UniqueBitmap, kPageCount> backgrounds;
  // Whether the page's picture was loaded at the current scale, successfully or not.
  std::array<bool, kPageCount> backgroundTried = {};

  // Widgets: owned by the XView base as children.
  XLabel* titleLabel = nullptr;
  XLabel* finishedLabel = nullptr;
  XLabel* featureLeftLabel = nullptr;
  XLabel* featureRightLabel = nullptr;
  XButton* closeButton = nullptr;
  XButton* minimizeButton = nullptr;
  XButton* installButton = nullptr;
  XButton* actionButton = nullptr;
  XProgressBar* progressBar = nullptr;
  XButton* checkedBox = nullptr;
  XButton* uncheckedBox = nullptr;
  XButton* agreeButton = nullptr;
  XButton* licenseLink = nullptr;
  XButton* expandArrow = nullptr;
  XButton* collapseArrow = nullptr;
  XButton* modeToggle = nullptr;
  XLabel* pathLabel = nullptr;
  XEditBox* pathEdit = nullptr;
  XButton* browseButton = nullptr;
  WorkerThread worker;

  bool launchOnDone = false;
  bool agreed = true;
};

#endif  // INSTALLER_INSTALLER_VIEW_H_
