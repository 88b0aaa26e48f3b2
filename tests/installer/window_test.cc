#include <gtest/gtest.h>

#include "installer/ui/back_buffer.h"
#include "installer/ui/oleacc_library.h"
#include "installer/ui/gdi_handles.h"
#include "installer/ui/window_position.h"
#include "installer/ui/x_button.h"
#include "installer/ui/x_edit_box.h"
#include "installer/ui/x_label.h"
#include "installer/ui/x_progress_bar.h"
#include "tests/installer/test_window.h"

namespace {

class InstallerWindowTest : public ::testing::Test {
 protected:
  XButton* AddButton(RECT where) {
    return window.root()->AddAttached(std::make_unique<XButton>(nullptr), where);
  }
  LRESULT HitTestAt(int x, int y) {
    return ::SendMessageW(window.get(), WM_NCHITTEST, 0, window.ScreenPoint(x, y));
  }
  void PaintNow() {
    ::InvalidateRect(window.get(), nullptr, TRUE);
    ::UpdateWindow(window.get());
  }

  TestWindow window{SIZE{400, 300}};
};

TEST_F(InstallerWindowTest, BareBackgroundDragsButtonsTakeClicks) {
  XButton* button = AddButton(RECT{10, 10, 60, 40});
  window.root()->AddAttached(std::make_unique<XLabel>(L"title", 26, RGB(1, 1, 1)),
                             RECT{100, 10, 300, 40});
  EXPECT_EQ(HitTestAt(20, 20), HTCLIENT);
  EXPECT_EQ(HitTestAt(200, 200), HTCAPTION);
  // A label lets the drag through.
  EXPECT_EQ(HitTestAt(150, 20), HTCAPTION);
  // A disabled button still blocks it.
  button->SetEnabled(false);
  EXPECT_EQ(HitTestAt(20, 20), HTCLIENT);
  // A hidden one does not.
  button->SetVisible(false);
  EXPECT_EQ(HitTestAt(20, 20), HTCAPTION);
}

TEST_F(InstallerWindowTest, ClientMouseMessagesReachTheButton) {
  struct Counter : XViewListener {
    void OnViewClicked(XView*) override { ++clicks; }
    int clicks = 0;
  } counter;
  XButton* button =
      window.root()->AddAttached(std::make_unique<XButton>(&counter), RECT{10, 10, 60, 40});
  ::SendMessageW(window.get(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(button->GetState(), ButtonState::kHover);
  ::SendMessageW(window.get(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  EXPECT_EQ(button->GetState(), ButtonState::kPressed);
  ::SendMessageW(window.get(), WM_LBUTTONUP, 0, MAKELPARAM(21, 21));
  EXPECT_EQ(counter.clicks, 1);
  // A move over the background arrives as a non-client move and still ends the hover.
  ::SendMessageW(window.get(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
  ::SendMessageW(window.get(), WM_NCMOUSEMOVE, HTCAPTION, window.ScreenPoint(200, 200));
  EXPECT_EQ(window.root()->GetHoverView(), window.root());
}

TEST_F(InstallerWindowTest, OnlyEditChangesAreForwarded) {
  EXPECT_EQ(::SendMessageW(window.get(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0), 0);
  EXPECT_EQ(::SendMessageW(window.get(), WM_COMMAND, MAKEWPARAM(0, EN_SETFOCUS), 0), 0);
  EXPECT_TRUE(window.root()->commands.empty());
  const WPARAM change = MAKEWPARAM(0, EN_CHANGE);
  ::SendMessageW(window.get(), WM_COMMAND, change, 0);
  EXPECT_EQ(window.root()->commands, (std::vector<WPARAM>{change}));
}

TEST_F(InstallerWindowTest, SetupDoneReachesTheRootWithItsCode) {
  ::PostMessageW(window.get(), XWM_SETUP_DONE, 7, 0);
  TestWindow::Pump();
  EXPECT_EQ(window.root()->results, (std::vector<uint32_t>{7}));
}

TEST_F(InstallerWindowTest, TabSkipsHiddenAndDisabledViewsWrapsAndLeavesTheTextBox) {
  XButton* first = AddButton(RECT{10, 10, 60, 40});
  AddButton(RECT{70, 10, 120, 40})->SetVisible(false);
  AddButton(RECT{130, 10, 180, 40})->SetEnabled(false);
  XEditBox* edit =
      window.root()->AddAttached(std::make_unique<XEditBox>(window.get()), RECT{10, 100, 300, 140});
  const HWND control = edit->GetNativeControl();
  ::SetFocus(window.get());
  auto tab = [](HWND to) { ::SendMessageW(to, WM_KEYDOWN, VK_TAB, 0); };
  tab(window.get());
  EXPECT_EQ(window.root()->GetFocusedView(), first);
  tab(window.get());
  EXPECT_EQ(window.root()->GetFocusedView(), edit);
  EXPECT_EQ(::GetFocus(), control);
  // The text box hands Tab to the window: round to the first button, keys back to the window.
  tab(control);
  EXPECT_EQ(window.root()->GetFocusedView(), first);
  EXPECT_EQ(::GetFocus(), window.get());
}

TEST_F(InstallerWindowTest, EditColoursUseOneBrushForEveryRequest) {
  HDC dc = ::GetDC(window.get());
  const LRESULT first =
      ::SendMessageW(window.get(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), 0);
  const long created = GdiObjectsCreated();
  const LRESULT second =
      ::SendMessageW(window.get(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_NE(first, 0);
  EXPECT_EQ(first, second);
  EXPECT_EQ(GdiObjectsCreated(), created);
  EXPECT_EQ(::GetTextColor(dc), RGB(102, 102, 102));
  EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
  ::ReleaseDC(window.get(), dc);
}

TEST_F(InstallerWindowTest, SteadyPaintsAllocateNothing) {
  XButton* button = AddButton(RECT{10, 10, 110, 50});
  button->SetText(L"Install");
  button->SetFillColor(ButtonState::kHover, RGB(117, 160, 227));
  button->SetBorderColor(ButtonState::kNormal, RGB(255, 255, 255));
  button->SetBorderColor(ButtonState::kHover, RGB(255, 255, 255));
  button->SetStateImage(ButtonState::kNormal, 105);
  auto* bar = window.root()->AddAttached(std::make_unique<XProgressBar>(), RECT{0, 0, 400, 6});
  bar->SetProgress(40);
  window.root()->AddAttached(std::make_unique<XLabel>(L"label", 26, RGB(1, 1, 1)),
                             RECT{0, 60, 200, 90});
  window.root()->AddAttached(std::make_unique<XEditBox>(window.get()), RECT{0, 100, 300, 140});
  // Warm up: every state the button reaches is painted once.
  for (int i = 0; i < 2; ++i) {
    ::SendMessageW(window.get(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    PaintNow();
    ::SendMessageW(window.get(), WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
    PaintNow();
  }
  const long created = GdiObjectsCreated();
  const long dcs = MemoryDcsAlive();
  for (int i = 0; i < 50; ++i) {
    ::SendMessageW(window.get(), WM_MOUSEMOVE, 0, MAKELPARAM(20 + i % 3, 20));
    PaintNow();
    ::SendMessageW(window.get(), WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
    PaintNow();
  }
  EXPECT_EQ(GdiObjectsCreated(), created);
  EXPECT_EQ(MemoryDcsAlive(), dcs);
}

TEST_F(InstallerWindowTest, BackBufferFollowsTheClientSize) {
  PaintNow();
  EXPECT_EQ(GetBackBufferSize().cx, 400);
  EXPECT_EQ(GetBackBufferSize().cy, 300);
  EXPECT_FALSE(window.root()->SetWindowSize(SIZE{400, 300}));

  RECT before = {};
  ::GetWindowRect(window.get(), &before);
  EXPECT_TRUE(window.root()->SetWindowSize(SIZE{400, 340}));
  RECT after = {};
  ::GetWindowRect(window.get(), &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.bottom - after.top, 340);
  PaintNow();
  EXPECT_EQ(GetBackBufferSize().cy, 340);
}

// Centred as the 600-high page where the 740-high one fits below it; otherwise moved up only
// as far as the tallest page needs, and never out of the work area.
TEST(WindowPositionTest, CentredThenMovedOnlyAsFarAsTheTallestPageNeeds) {
  struct Case {
    SIZE size;
    SIZE tallest;
    RECT work;
    POINT expected;
  };
  const Case cases[] = {
      {{1000, 600}, {1000, 740}, {0, 0, 1280, 1024}, {140, 212}},
      // 140 DPI on a 1920 x 1080 screen: centred at y = 102, the custom page ended at 1181.
      {{1458, 875}, {1458, 1079}, {0, 0, 1920, 1080}, {231, 1}},
      // A second monitor left of the primary, with a task bar at its top.
      {{1000, 600}, {1000, 740}, {-1280, 40, 0, 800}, {-1140, 60}},
      // Larger than the work area: its top-left corner.
      {{1000, 600}, {1000, 740}, {0, 0, 800, 600}, {0, 0}},
  };
  for (const Case& c : cases) {
    const WindowPlacement place = PlaceInWorkArea(c.size, c.tallest, c.work);
    EXPECT_EQ(place.x, c.expected.x) << c.work.right;
    EXPECT_EQ(place.y, c.expected.y) << c.work.right;
    EXPECT_EQ(place.width, c.size.cx);
    EXPECT_EQ(place.height, c.size.cy);
  }
  // (32767, 3) from another program's rectangle ends at the work area's right edge.
  const POINT kept = KeepInside(POINT{32767, 3}, SIZE{1500, 1110}, RECT{0, 0, 2560, 1600});
  EXPECT_EQ(kept.x, 1060);
  EXPECT_EQ(kept.y, 3);
}

}  // namespace

namespace {

constexpr IID kIidAccessible = {0x618736E0,
                                0x3C3D,
                                0x11CF,
                                {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

VARIANT ChildId(LONG id) {
  VARIANT child;
  ::VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

// A screen reader may hold the window's accessible object after the window is gone: every
// call then answers CO_E_OBJNOTCONNECTED instead of reaching the views.
TEST(AccessibleObjectTest, OutlivesItsWindowDisconnected) {
  ASSERT_NE(Oleacc().accessibleObjectFromWindow, nullptr);
  IAccessible* object = nullptr;
  {
    TestWindow window{SIZE{400, 300}};
    window.root()->AddAttached(std::make_unique<XButton>(nullptr), RECT{10, 10, 60, 40});
    ASSERT_EQ(
        Oleacc().accessibleObjectFromWindow(window.get(), static_cast<DWORD>(OBJID_CLIENT),
                                            kIidAccessible, reinterpret_cast<void**>(&object)),
        S_OK);
    LONG count = 0;
    EXPECT_EQ(object->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 1);
  }
  LONG count = 0;
  EXPECT_EQ(object->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  BSTR name = nullptr;
  EXPECT_EQ(object->get_accName(ChildId(1), &name), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(name, nullptr);
  VARIANT focus;
  EXPECT_EQ(object->get_accFocus(&focus), CO_E_OBJNOTCONNECTED);
  VARIANT hit;
  EXPECT_EQ(object->accHitTest(120, 120, &hit), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(object->accDoDefaultAction(ChildId(1)), CO_E_OBJNOTCONNECTED);
  VARIANT end;
  EXPECT_EQ(object->accNavigate(NAVDIR_FIRSTCHILD, ChildId(CHILDID_SELF), &end),
            CO_E_OBJNOTCONNECTED);
  object->Release();
}

}  // namespace
