// The wizard for keyboard and screen-reader users: focus order per page, names and roles.

#include "installer/installer_view.h"
#include "installer/ui/resources/resource_ids.h"
#include "installer/ui/x_button.h"
#include "installer/ui/x_edit_box.h"
#include "installer/ui/x_label.h"
#include "installer/ui/x_progress_bar.h"

void InstallerView::DescribeWidgets() {
  SetAccessibleName(titleLabel->GetText());
  minimizeButton->SetAccessibleName(LoadStringResource(IDS_MINIMIZE_NAME));
  closeButton->SetAccessibleName(LoadStringResource(IDS_CLOSE_NAME));
  const std::wstring agreement = LoadStringResource(IDS_AGREEMENT_BOX_NAME);
  checkedBox->SetAccessibleName(agreement);
  checkedBox->SetAccessibleRole(AccessibleRole::kCheckBox, true);
  uncheckedBox->SetAccessibleName(agreement);
  uncheckedBox->SetAccessibleRole(AccessibleRole::kCheckBox, false);
  licenseLink->SetAccessibleRole(AccessibleRole::kLink);
  pathEdit->SetAccessibleName(pathLabel->GetText());
  progressBar->SetAccessibleName(LoadStringResource(IDS_INSTALLING));
}

XButton* InstallerView::AgreementBox() const {
  return agreed ? checkedBox : uncheckedBox;
}

XView* InstallerView::MainButtonOf(WizardPage wizardPage) const {
  switch (wizardPage) {
    case kDefaultPage:
    case kCustomPage:
      return installButton;
    case kFinishedPage:
      return actionButton;
    default:
      return nullptr;
  }
}

std::vector<XView*> InstallerView::PageWidgets() const {
  std::vector<XView*> widgets;
  switch (page.load()) {
    case kDefaultPage:
      widgets = {installButton, AgreementBox(), licenseLink, modeToggle};
      break;
    case kCustomPage:
      widgets = {installButton, AgreementBox(), licenseLink, modeToggle, pathEdit, browseButton};
      break;
    default:
      widgets = {actionButton};
      break;
  }
  widgets.push_back(minimizeButton);
  widgets.push_back(closeButton);
  std::vector<XView*> shown;
  for (XView* widget : widgets) {
    if (widget->IsVisible())
      shown.push_back(widget);
  }
  return shown;
}

std::vector<XView*> InstallerView::FocusOrder() const {
  std::vector<XView*> order;
  for (XView* widget : PageWidgets()) {
    if (widget->IsEnabled())
      order.push_back(widget);
  }
  return order;
}

XView* InstallerView::FocusTargetOf(XView* pressed) const {
  // The text beside the box and the arrow beside the toggle act for them.
  if (pressed == agreeButton)
    return AgreementBox()->IsVisible() ? AgreementBox() : nullptr;
  if (pressed == expandArrow || pressed == collapseArrow)
    return modeToggle->IsVisible() ? modeToggle : nullptr;
  return XRootView::FocusTargetOf(pressed);
}

XView* InstallerView::GetDefaultButton() const {
  return MainButtonOf(page.load());
}

void InstallerView::OnCloseRequested() {
  OnViewClicked(closeButton);
}

std::vector<XView*> InstallerView::AccessibleChildren() const {
  std::vector<XView*> accessible = PageWidgets();
  for (XView* text : {static_cast<XView*>(featureLeftLabel), static_cast<XView*>(featureRightLabel),
                      static_cast<XView*>(finishedLabel)}) {
    if (text->IsVisible())
      accessible.push_back(text);
  }
  if (page.load() == kInstallingPage && progressBar->IsVisible())
    accessible.push_back(progressBar);
  return accessible;
}
