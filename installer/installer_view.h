#ifndef INSTALLER_INSTALLER_VIEW_H_
#define INSTALLER_INSTALLER_VIEW_H_

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "installer/ui/gdi_handles.h"
#include "installer/ui/installer_wnd_proc.h"
#include "installer/ui/x_view_listener.h"
#include "installer/wizard_pages.h"

class XButton;
class XEditBox;
class XLabel;
class XProgressBar;

// The root view of the installer window and the install wizard behind it: builds the
// nineteen widgets, lays them out per page, paints the frame and page picture, reacts to
// every click and runs the install. Every operation runs on the window thread.
class InstallerView : public XRootView, public XViewListener {
 public:
  InstallerView(bool silent, bool autoLaunch, bool makeDefault);
  ~InstallerView() override;

  // Builds the pictures and widgets, sets the default install folder and, when silent,
  // starts the install.
  void OnCreate(HINSTANCE instance, HWND window) override;
  // Positions and shows the widgets for the current page.
  void OnLayout() override;
  // The grey frame and the page picture above the band.
  void OnPaint(HDC dc) override;

  void OnViewClicked(XView* sender) override;
  void DoneSetup(uint32_t result) override;

  int GetPage() const { return page.load(); }
  const std::wstring& GetInstallPath() const { return installPath; }

 private:
  void CreateWidgets();
  void LayoutAgreementRow(const PageSpec& spec, int right, int bottom);
  void LayoutPathRow(const PageSpec& spec, int right);
  const PageSpec& CurrentPage() const;

  const bool silent;
  const bool autoLaunch;
  const bool makeDefault;
  bool browserLaunched = false;
  // Also read by the install worker.
  std::atomic<int> page{kDefaultPage};
  std::wstring installPath;
  UniquePen borderPen;
  std::array<UniqueBitmap, kPageCount> backgrounds;

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

  bool launchOnDone = false;
  bool agreed = true;
};

#endif  // INSTALLER_INSTALLER_VIEW_H_
