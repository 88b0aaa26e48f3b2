#ifndef INSTALLER_WIZARD_PAGES_H_
#define INSTALLER_WIZARD_PAGES_H_

#include <array>

#include "installer/ui/resources/resource_ids.h"

// The four pages of the install wizard, kept in InstallerView's page field.
enum WizardPage : int {
  kDefaultPage = 0,
  kCustomPage = 1,
  kInstallingPage = 2,
  kFinishedPage = 3,
};

// What one page shows and how large the window is on it.
struct PageLayout {
  int width;
  int height;
  int backgroundId;  // bitmap resource of the page picture
  int band;          // height of the white band under the picture
  bool showFinished;
  bool showAgreement;
  bool showFeatures;
  bool showExpand;
  bool showCollapse;
  bool showToggle;
  bool showPathRow;
};

inline constexpr int kPageCount = 4;

// Indexed by WizardPage.
inline constexpr std::array<PageLayout, kPageCount> kPages = {{
    {1000, 600, IDB_PAGE_DEFAULT, 0, false, true, false, true, false, true, false},
    {1000, 740, IDB_PAGE_DEFAULT, 140, false, true, false, false, true, true, true},
    {1000, 600, IDB_PAGE_INSTALLING, 140, false, false, true, false, false, false, false},
    {1000, 600, IDB_PAGE_FINISHED, 140, true, false, false, false, false, false, false},
}};

#endif  // INSTALLER_WIZARD_PAGES_H_
