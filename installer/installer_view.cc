#include "installer/installer_view.h"

#include <algorithm>
#include <memory>

#include "installer/install_location.h"
#include "installer/ui/resources/resource_ids.h"
#include "installer/ui/x_button.h"
#include "installer/ui/x_edit_box.h"
#include "installer/ui/x_label.h"
#include "installer/ui/x_progress_bar.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGreyText = RGB(102, 102, 102);
const COLORREF kBorderGrey = RGB(180, 180, 180);

// Image ids for Normal, Hover, Pressed and Disabled; 0 for none.
using StateImages = std::array<UINT, XButton::kStates>;

void SetImages(XButton* button, const StateImages& ids) {
  for (int s = 0; s < XButton::kStates; ++s)
    button->SetStateImage(static_cast<ButtonState>(s), ids[s]);
}

}  // namespace

InstallerView::InstallerView(bool silentRun, bool launchWhenDone, bool askForDefault)
    : silent(silentRun), autoLaunch(launchWhenDone), makeDefault(askForDefault) {}

InstallerView::~InstallerView() = default;

const PageLayout& InstallerView::CurrentPage() const {
  return kPages[page.load()];
}

void InstallerView::OnCreate(HINSTANCE, HWND) {
  // The pictures are decoded when their page is first painted: the start decodes one.
  borderPen = CreateBorderPenObject(kBorderGrey, scale.Pixels(1));
  CreateWidgets();
  DescribeWidgets();
  SetFocusedView(MainButtonOf(kDefaultPage));
  installPath = GetDefaultInstallDir();
  if (silent)
    StartInstall();
}

void InstallerView::CreateWidgets() {
  auto makeButton = [this](const StateImages& images) {
    auto button = std::make_unique<XButton>(this);
    SetImages(button.get(), images);
    return AddChild(std::move(button));
  };
  auto makeTextButton = [this](UINT textId, COLORREF color, int height, bool underlined) {
    auto button = std::make_unique<XButton>(this);
    button->SetText(LoadStringResource(textId));
    button->SetTextColor(color);
    button->SetFont(height, underlined);
    return AddChild(std::move(button));
  };
  auto makeLabel = [this](UINT textId, int height, COLORREF color, bool right) {
    auto label = std::make_unique<XLabel>(LoadStringResource(textId), height, color);
    label->rightAligned = right;
    return AddChild(std::move(label));
  };

  closeButton = makeButton({IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED, 0});
  minimizeButton = makeButton({IDB_MINIMIZE_NORMAL, IDB_MINIMIZE_HOVER, IDB_MINIMIZE_PRESSED, 0});
  progressBar = AddChild(std::make_unique<XProgressBar>());

  installButton = makeTextButton(IDS_INSTALL, kWhite, 32, false);
  installButton->SetFillColor(ButtonState::kHover, RGB(117, 160, 227));
  installButton->SetFillColor(ButtonState::kPressed, RGB(117, 160, 227));
  installButton->SetBorderColor(ButtonState::kNormal, kWhite);
  installButton->SetBorderColor(ButtonState::kHover, kWhite);
  installButton->SetBorderColor(ButtonState::kPressed, kWhite);
  installButton->SetBorderColor(ButtonState::kDisabled, RGB(200, 200, 200));

  actionButton = makeTextButton(IDS_DONE, kWhite, 32, false);
  actionButton->SetFillColor(ButtonState::kNormal, RGB(74, 144, 226));
  actionButton->SetFillColor(ButtonState::kHover, RGB(96, 166, 246));
  actionButton->SetFillColor(ButtonState::kPressed, RGB(96, 166, 246));
  actionButton->SetFillColor(ButtonState::kDisabled, RGB(200, 200, 200));
  actionButton->SetVisible(false);

  uncheckedBox = makeButton({IDB_UNCHECKED, IDB_UNCHECKED_HOVER, IDB_CHECKED, IDB_UNCHECKED});
  uncheckedBox->SetVisible(!agreed);
  checkedBox = makeButton({IDB_CHECKED, IDB_CHECKED_HOVER, IDB_UNCHECKED_HOVER, IDB_CHECKED});
  checkedBox->SetVisible(agreed);

  titleLabel = makeLabel(IDS_TITLE, 26, kWhite, false);
  finishedLabel = makeLabel(IDS_FINISHED, 48, kWhite, false);
  finishedLabel->SetVisible(false);
  featureLeftLabel = makeLabel(IDS_FEATURE_LEFT, 30, kWhite, true);
  featureLeftLabel->SetVisible(false);
  featureRightLabel = makeLabel(IDS_FEATURE_RIGHT, 30, kWhite, false);
  featureRightLabel->SetVisible(false);

  agreeButton = makeTextButton(IDS_AGREE, kWhite, 26, false);
  licenseLink = makeTextButton(IDS_LICENSE, kWhite, 26, true);
  expandArrow = makeButton({IDB_EXPAND, IDB_EXPAND_HOVER, IDB_EXPAND, IDB_EXPAND});
  collapseArrow = makeButton({IDB_COLLAPSE, IDB_COLLAPSE_HOVER, IDB_COLLAPSE, IDB_COLLAPSE});
  collapseArrow->SetVisible(false);
  modeToggle = makeTextButton(IDS_CUSTOMIZE, kWhite, 26, false);

  pathLabel = makeLabel(IDS_INSTALL_PATH, 26, kGreyText, true);
  pathEdit = AddChild(std::make_unique<XEditBox>(window));

  browseButton = makeTextButton(IDS_SELECT, kGreyText, 24, false);
  browseButton->SetFillColor(ButtonState::kNormal, RGB(238, 238, 238));
  browseButton->SetFillColor(ButtonState::kHover, RGB(221, 221, 221));
  browseButton->SetFillColor(ButtonState::kPressed, RGB(221, 221, 221));
  for (int s = 0; s < XButton::kStates; ++s)
    browseButton->SetBorderColor(static_cast<ButtonState>(s), RGB(204, 204, 204));
  browseButton->SetCornerRadius(0);
}

void InstallerView::Place(XView* view, const RECT& logical) const {
  view->SetRect(scale.Pixels(logical));
}

void InstallerView::OnScaleChanged() {
  if (!window)
    return;
  // Decoded again, from the set for the new scale, when next painted.
  for (UniqueBitmap& background : backgrounds)
    background.reset();
  backgroundTried.fill(false);
  borderPen = CreateBorderPenObject(kBorderGrey, scale.Pixels(1));
}

SIZE InstallerView::LogicalWindowSize() const {
  return SIZE{CurrentPage().width, CurrentPage().height};
}

SIZE InstallerView::TallestWindowSize() const {
  SIZE tallest = {0, 0};
  for (const PageLayout& layout : kPages) {
    tallest.cx = std::max<LONG>(tallest.cx, layout.width);
    tallest.cy = std::max<LONG>(tallest.cy, layout.height);
  }
  return tallest;
}

HBITMAP InstallerView::PagePicture(WizardPage pageShown) {
  // Pages 0 and 1 show the same picture: decoded once for both.
  const int id = kPages[pageShown].backgroundId;
  for (int i = 0; i < kPageCount; ++i) {
    if (kPages[i].backgroundId == id && backgroundTried[i])
      return backgrounds[i].get();
  }
  // Tried once per scale: a picture that failed has logged why and would only fail again.
  backgrounds[pageShown] = LoadBitmapResource(static_cast<WORD>(id));
  backgroundTried[pageShown] = true;
  return backgrounds[pageShown].get();
}

// Every rectangle is worked out at 96 DPI and placed through the one scale conversion.
void InstallerView::OnLayout() {
  const PageLayout& layout = CurrentPage();
  const WizardPage currentPage = page.load();
  // Below 100 % several 96-DPI values share a pixel: the page's own size is the one meant.
  const int right =
      scale.Pixels(layout.width) == rect.right ? layout.width : scale.Logical(rect.right);
  const int bottom =
      scale.Pixels(layout.height) == rect.bottom ? layout.height : scale.Logical(rect.bottom);
  const int band = layout.band;

  Place(closeButton, RECT{right - 52, 20, right - 20, 52});
  Place(minimizeButton, RECT{right - 104, 20, right - 72, 52});
  Place(progressBar, RECT{0, bottom - band, right, bottom - band + 6});

  const int x = (right - 300) / 2;
  Place(installButton, RECT{x, 400, x + 300, 472});
  installButton->SetVisible(currentPage < kInstallingPage);
  const int y = bottom - (band + 72) / 2;
  Place(actionButton, RECT{x, y, x + 300, y + 72});
  actionButton->SetVisible(currentPage > kCustomPage);

  Place(titleLabel, RECT{20, 20, right, 50});
  finishedLabel->SetVisible(layout.showFinished);
  if (layout.showFinished) {
    const int fx = (right - 200) / 2;
    const int fy = (bottom - band - 70) / 2;
    Place(finishedLabel, RECT{fx, fy, fx + 200, fy + 70});
  }
  Place(featureLeftLabel, RECT{0, 236, 250, 270});
  Place(featureRightLabel, RECT{729, 236, right, 270});

  LayoutAgreementRow(layout, right, bottom);
  LayoutPathRow(layout, right);
}

void InstallerView::LayoutAgreementRow(const PageLayout& layout, int right, int bottom) {
  checkedBox->SetVisible(layout.showAgreement && agreed);
  uncheckedBox->SetVisible(layout.showAgreement && !agreed);
  agreeButton->SetVisible(layout.showAgreement);
  licenseLink->SetVisible(layout.showAgreement);
  featureLeftLabel->SetVisible(layout.showFeatures);
  featureRightLabel->SetVisible(layout.showFeatures);
  // The row hangs from the top of the band, so it stays put when page 1 grows the window.
  const int y0 = bottom - layout.band - 52;
  const int y1 = bottom - layout.band - 20;
  if (layout.showAgreement) {
    Place(checkedBox, RECT{20, y0, 52, y1});
    Place(uncheckedBox, RECT{20, y0, 52, y1});
    Place(agreeButton, RECT{52, y0, 212, y1});
    Place(licenseLink, RECT{212, y0, 292, y1});
    // Their words run past these rectangles (at every scale, in both languages).
    agreeButton->CoverText();
    licenseLink->CoverText();
  }
  expandArrow->SetVisible(layout.showExpand);
  collapseArrow->SetVisible(layout.showCollapse);
  modeToggle->SetVisible(layout.showToggle);
  Place(modeToggle, RECT{right - 140, y0, right - 20, y1});
  modeToggle->CoverText();
  Place(expandArrow, RECT{right - 172, y0, right - 140, y1});
  Place(collapseArrow, RECT{right - 172, y0, right - 140, y1});
}

void InstallerView::LayoutPathRow(const PageLayout& layout, int right) {
  pathLabel->SetVisible(layout.showPathRow);
  pathEdit->SetVisible(layout.showPathRow);
  // Hidden with its row: before page 1 was first shown its rectangle is empty at the
  // top-left corner, where its unclipped text would spill over the title.
  browseButton->SetVisible(layout.showPathRow);
  if (!pathEdit->IsVisible())
    return;
  const int px = (right - 600) / 2;
  const int py = layout.height - (layout.band + 40) / 2;
  Place(pathEdit, RECT{px, py, px + 600, py + 40});
  // Children were laid out before this view; the native control follows the new rectangle
  // only through another pass.
  pathEdit->Layout();
  Place(pathLabel, RECT{0, py, px - 20, py + 40});
  Place(browseButton, RECT{px + 600, py, (right + px + 600) / 2, py + 40});
}

void InstallerView::OnPaint(HDC dc) {
  const PageLayout& layout = CurrentPage();
  {
    ScopedSelectObject selectPen(dc, borderPen.get());
    ::Rectangle(dc, 0, 0, rect.right, rect.bottom);
  }
  HBITMAP background = PagePicture(page.load());
  if (!background)
    return;
  UniqueMemoryDc pictureDc = CreateMemoryDc(dc);
  if (!pictureDc)
    return;
  ScopedSelectObject selectPicture(pictureDc.get(), background);
  BITMAP info = {};
  ::GetObjectW(background, sizeof(info), &info);
  ::SetStretchBltMode(dc, HALFTONE);
  ::StretchBlt(dc, 0, 0, rect.right, scale.Pixels(layout.height - layout.band), pictureDc.get(), 0,
               0, info.bmWidth, info.bmHeight, SRCCOPY);
}
