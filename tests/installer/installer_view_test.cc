#include "installer/installer_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <utility>
#include <vector>

#include "base/win/display_metrics.h"
#include "base/win/scoped_handle.h"
#include "installer/ui/gdi_handles.h"
#include "installer/ui/resources/resource_ids.h"
#include "installer/ui/scaled_picture.h"
#include "installer/ui/window_position.h"
#include "installer/ui/x_button.h"
#include "installer/ui/x_progress_bar.h"
#include "tests/installer/test_window.h"

namespace {

const LPARAM kCheckBox = MAKELPARAM(36, 564);
const LPARAM kAgreeText = MAKELPARAM(132, 564);
const LPARAM kInstall = MAKELPARAM(500, 436);
const LPARAM kToggle = MAKELPARAM(920, 564);

// Puts the user's "Software\Orbavintel" back as it was after a test that installs: an install
// writes the install folder and the partner data there. (Redirecting the whole hive with
// RegOverridePredefKey is not an option: the window code itself reads it.)
class RestoredOrbavintelKey {
 public:
  RestoredOrbavintelKey() {
    UniqueHKey original;
    existed =
        ::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, original.Receive()) == ERROR_SUCCESS;
    if (!existed)
      return;
    UniqueHKey saved;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kSaved, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      saved.Receive(), nullptr);
    ::RegCopyTreeW(original.get(), nullptr, saved.get());
  }
  ~RestoredOrbavintelKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
    if (!existed)
      return;
    UniqueHKey saved;
    UniqueHKey original;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, kSaved, 0, KEY_READ, saved.Receive());
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      original.Receive(), nullptr);
    ::RegCopyTreeW(saved.get(), nullptr, original.get());
    saved.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSaved);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kSaved);
  }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Orbavintel";
  static constexpr wchar_t kSaved[] = L"Software\\OrbavintelSavedByInstallerViewTest";
  bool existed = false;
};

class InstallerViewTest : public ::testing::Test {
 protected:
  InstallerViewTest()
      : window(SIZE{1000, 600},
               [] { return std::make_unique<InstallerView>(false, false, false); }),
        view(static_cast<InstallerView*>(window.rootView())) {}

  void Click(LPARAM point) {
    ::SendMessageW(window.get(), WM_MOUSEMOVE, 0, point);
    ::SendMessageW(window.get(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::SendMessageW(window.get(), WM_LBUTTONUP, 0, point);
  }
  int WindowHeight() {
    RECT bounds = {};
    ::GetWindowRect(window.get(), &bounds);
    return bounds.bottom - bounds.top;
  }

  RestoredOrbavintelKey registry;
  TestWindow window;
  InstallerView* view;
};

TEST_F(InstallerViewTest, CheckBoxAndTextFlipTheAgreementOnTheFirstTwoPages) {
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->IsAgreed());
  Click(kCheckBox);
  EXPECT_FALSE(view->IsAgreed());
  Click(kCheckBox);
  EXPECT_TRUE(view->IsAgreed());
  Click(kAgreeText);
  EXPECT_FALSE(view->IsAgreed());
  Click(kToggle);
  EXPECT_EQ(view->GetPage(), 1);
  EXPECT_EQ(WindowHeight(), 740);
  Click(kAgreeText);
  EXPECT_TRUE(view->IsAgreed());
  Click(kToggle);
  EXPECT_EQ(WindowHeight(), 600);
}

TEST_F(InstallerViewTest, AgreementIsFixedOnceInstalling) {
  Click(kInstall);
  // The test program carries no payload: the worker reports a failure, which waits in the
  // queue until the next pump.
  ASSERT_EQ(view->GetPage(), 2);
  Click(kCheckBox);
  Click(kAgreeText);
  EXPECT_TRUE(view->IsAgreed());
  view->SetAgreed(false);
  EXPECT_TRUE(view->IsAgreed());
  for (int i = 0; i < 100 && view->GetPage() != 3; ++i) {
    TestWindow::Pump();
    ::Sleep(10);
  }
  ASSERT_EQ(view->GetPage(), 3);
  Click(kCheckBox);
  Click(kAgreeText);
  view->SetAgreed(false);
  EXPECT_TRUE(view->IsAgreed());
}

TEST_F(InstallerViewTest, RepaintingTheWholeWizardAllocatesNothingOnceWarm) {
  // Every widget of page 0 under the pointer and away from it, each followed by a paint.
  const LPARAM stops[] = {
      MAKELPARAM(964, 36),  MAKELPARAM(860, 36),  kInstall, kCheckBox,           kAgreeText,
      MAKELPARAM(252, 564), MAKELPARAM(844, 564), kToggle,  MAKELPARAM(500, 200)};
  auto sweep = [&] {
    for (LPARAM point : stops) {
      ::SendMessageW(window.get(), WM_MOUSEMOVE, 0, point);
      ::InvalidateRect(window.get(), nullptr, TRUE);
      ::UpdateWindow(window.get());
    }
  };
  sweep();
  const long created = GdiObjectsCreated();
  const long dcs = MemoryDcsAlive();
  for (int i = 0; i < 20; ++i)
    sweep();
  EXPECT_EQ(GdiObjectsCreated(), created);
  EXPECT_EQ(MemoryDcsAlive(), dcs);
}

// A setup result, from the worker or from any other sender, and the action button's text.
class SetupResultTest : public InstallerViewTest,
                        public ::testing::WithParamInterface<std::pair<uint32_t, UINT>> {};

TEST_P(SetupResultTest, ActionButtonReadsLaunchOnlyAfterSuccess) {
  ::SendMessageW(window.get(), XWM_SETUP_DONE, GetParam().first, 0);
  ASSERT_EQ(view->GetPage(), 3);
  XView* hit = view->HitTest(POINT{500, 530});
  ASSERT_NE(hit, nullptr);
  // The widgets are built without type records, so no dynamic_cast (it would read a null
  // one): of the widgets only buttons are push buttons.
  ASSERT_EQ(hit->GetAccessibleRole(), AccessibleRole::kPushButton);
  auto* action = static_cast<XButton*>(hit);
  ASSERT_FALSE(action->GetText().empty());
  EXPECT_EQ(action->GetText(), view->LoadStringResource(GetParam().second));
}

// 0, 1 and 2 are success; every other value, read unsigned, is a failure.
INSTANTIATE_TEST_SUITE_P(Results,
                         SetupResultTest,
                         ::testing::Values(std::make_pair(0u, UINT{IDS_LAUNCH}),
                                           std::make_pair(1u, UINT{IDS_LAUNCH}),
                                           std::make_pair(2u, UINT{IDS_LAUNCH}),
                                           std::make_pair(3u, UINT{IDS_DONE}),
                                           std::make_pair(7u, UINT{IDS_DONE}),
                                           std::make_pair(0xFFFFFFFFu, UINT{IDS_DONE})));

// What screen readers were told: (event, child id) of the window's client object.
std::vector<std::pair<DWORD, LONG>> announced;

void CALLBACK
RecordAnnouncement(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT)
    announced.emplace_back(event, child);
}

TEST_F(InstallerViewTest, KeysAndPageChangesAreAnnouncedToScreenReaders) {
  const HWINEVENTHOOK hook =
      ::SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_VALUECHANGE, nullptr,
                        &RecordAnnouncement, ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  ::SetFocus(window.get());
  announced.clear();
  auto press = [&](UINT key) {
    ::SendMessageW(window.get(), WM_KEYDOWN, key, 0);
    TestWindow::Pump();
  };
  press(VK_TAB);    // the agreement box, child 2
  press(VK_SPACE);  // unticked; the focus stays on the box's other face
  press(VK_TAB);    // the licence link
  Click(kToggle);   // the toggle takes the focus, then page 1 starts on Install
  TestWindow::Pump();
  ::UnhookWinEvent(hook);
  const std::vector<std::pair<DWORD, LONG>> expected = {
      {EVENT_OBJECT_FOCUS, 2}, {EVENT_OBJECT_FOCUS, 2}, {EVENT_OBJECT_STATECHANGE, 2},
      {EVENT_OBJECT_FOCUS, 3}, {EVENT_OBJECT_FOCUS, 4}, {EVENT_OBJECT_REORDER, CHILDID_SELF},
      {EVENT_OBJECT_FOCUS, 1}};
  EXPECT_EQ(announced, expected);
  EXPECT_FALSE(view->IsAgreed());
}

TEST_F(InstallerViewTest, ProgressAndTheActionButtonTextAreAnnouncedForTheirChildren) {
  // The installing page without an install worker, so that nothing else moves meanwhile.
  view->SetPage(kInstallingPage);
  const std::vector<XView*> children = view->AccessibleChildren();
  ASSERT_EQ(children.back()->GetAccessibleRole(), AccessibleRole::kProgressBar);
  auto* progress = static_cast<XProgressBar*>(children.back());
  const HWINEVENTHOOK hook =
      ::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr,
                        &RecordAnnouncement, ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  announced.clear();
  // As the worker does it, from another thread: announced on the window's.
  std::thread worker([progress] { progress->SetProgress(40); });
  worker.join();
  TestWindow::Pump();
  ::SendMessageW(window.get(), XWM_SETUP_DONE, 1, 0);
  TestWindow::Pump();
  ::UnhookWinEvent(hook);
  // The strip is the last of the six children; the action button, now "Launch", the first.
  // The done step's own reset of the strip comes after the page has dropped it.
  const std::vector<std::pair<DWORD, LONG>> expected = {{EVENT_OBJECT_VALUECHANGE, 6},
                                                        {EVENT_OBJECT_NAMECHANGE, 1}};
  EXPECT_EQ(announced, expected);
}

// What |draw| paints into a fresh top-down 32-bit bitmap of |size|.
template <typename Draw>
std::vector<uint32_t> Render(SIZE size, Draw draw) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const UniqueMemoryDc dc = CreateMemoryDc(nullptr);
  if (!bitmap || !bits || !dc)
    return {};
  {
    ScopedSelectObject select(dc.get(), bitmap.get());
    draw(dc.get());
    ::GdiFlush();
  }
  const uint32_t* pixels = static_cast<const uint32_t*>(bits);
  return std::vector<uint32_t>(pixels, pixels + size.cx * size.cy);
}

// Pixels of the default page's calm sky (rows 60 to 390 at 96 DPI, inside the frame) that
// differ from picture 102 as the set for the view's scale gives it, stretched as the page
// stretches its picture.
int PictureMismatches(InstallerView* view) {
  const DisplayScale scale = view->GetScale();
  const SIZE size = {view->GetRect().right, scale.Pixels(600)};
  const std::vector<uint32_t> painted = Render(size, [&](HDC dc) { view->Paint(dc); });
  const UniqueBitmap picture =
      LoadScaledPicture(::GetModuleHandleW(nullptr), IDB_PAGE_DEFAULT, scale);
  const std::vector<uint32_t> expected = Render(size, [&](HDC dc) {
    BITMAP info = {};
    ::GetObjectW(picture.get(), sizeof(info), &info);
    const UniqueMemoryDc pictureDc = CreateMemoryDc(dc);
    ScopedSelectObject select(pictureDc.get(), picture.get());
    ::SetStretchBltMode(dc, HALFTONE);
    ::StretchBlt(dc, 0, 0, size.cx, size.cy, pictureDc.get(), 0, 0, info.bmWidth, info.bmHeight,
                 SRCCOPY);
  });
  if (painted.empty() || painted.size() != expected.size())
    return -1;
  int wrong = 0;
  for (int y = scale.Pixels(60); y < scale.Pixels(390); ++y) {
    for (int x = scale.Pixels(10); x < size.cx - scale.Pixels(10); ++x)
      wrong += (painted[y * size.cx + x] & 0xFFFFFF) != (expected[y * size.cx + x] & 0xFFFFFF);
  }
  return wrong;
}

RECT WindowBounds(HWND window) {
  RECT bounds = {};
  ::GetWindowRect(window, &bounds);
  return bounds;
}

RECT WorkAreaOfWindow(HWND window) {
  return WorkAreaNearest(WindowBounds(window));
}

}  // namespace

// Wine cannot move a window to a monitor of another scale: the message is sent to the real
// window, on its thread, as the platform sends it, with the rectangle it suggests.
TEST_F(InstallerViewTest, MovingToAMonitorOfAnotherScaleScalesTheWizard) {
  auto installRect = [&] {
    return view->HitTest(POINT{view->GetRect().right / 2, view->GetRect().bottom * 436 / 600})
        ->GetRect();
  };
  const RECT installAt96 = installRect();
  RECT suggested = {100, 100, 1600, 1000};
  ::SendMessageW(window.get(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
  TestWindow::Pump();
  // The largest scale up to 144 DPI at which the custom page fits the work area.
  const DisplayScale scale = view->GetScale();
  ASSERT_GT(scale.Dpi(), 96);
  ASSERT_LE(scale.Dpi(), 144);
  const SIZE size = scale.Pixels(SIZE{1000, 600});
  const RECT work = WorkAreaOfWindow(window.get());
  RECT bounds = WindowBounds(window.get());
  // Where suggested, moved only as much as the custom page needs to fit.
  EXPECT_EQ(bounds.left, std::min<LONG>(100, work.right - size.cx));
  EXPECT_EQ(bounds.top, std::min<LONG>(100, work.bottom - scale.Pixels(740)));
  EXPECT_EQ(bounds.right - bounds.left, size.cx);
  EXPECT_EQ(bounds.bottom - bounds.top, size.cy);
  EXPECT_EQ(view->GetRect().right, size.cx);
  const RECT expected = scale.Pixels(RECT{350, 400, 650, 472});
  const RECT scaledInstall = installRect();
  EXPECT_TRUE(::EqualRect(&scaledInstall, &expected));
  // The page shows the picture drawn for the new scale, not the old one stretched.
  EXPECT_EQ(PictureMismatches(view), 0);
  // The custom page at the new scale, inside the work area.
  Click(MAKELPARAM(scale.Pixels(920), scale.Pixels(564)));
  EXPECT_EQ(view->GetPage(), 1);
  EXPECT_EQ(WindowHeight(), scale.Pixels(740));
  EXPECT_LE(WindowBounds(window.get()).bottom, work.bottom);

  // A rectangle off every monitor still leaves the window inside a work area.
  suggested = RECT{32767, 3, 33767, 743};
  ::SendMessageW(window.get(), WM_DPICHANGED, MAKEWPARAM(96, 96),
                 reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(view->GetScale().Dpi(), 96);
  EXPECT_EQ(WindowHeight(), 740);
  bounds = WindowBounds(window.get());
  const RECT nearest = WorkAreaNearest(suggested);
  RECT within = {};
  ::IntersectRect(&within, &bounds, &nearest);
  EXPECT_TRUE(::EqualRect(&within, &bounds));
  Click(kToggle);
  EXPECT_EQ(WindowHeight(), 600);
  const RECT installAgain = installRect();
  EXPECT_TRUE(::EqualRect(&installAgain, &installAt96));
  EXPECT_EQ(PictureMismatches(view), 0);
}
