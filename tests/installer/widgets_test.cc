#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "installer/ui/x_button.h"
#include "installer/ui/x_edit_box.h"
#include "installer/ui/x_label.h"
#include "installer/ui/x_progress_bar.h"
#include "tests/installer/test_window.h"

namespace {

// Remembers each click and the state the button had when the listener heard of it.
class ClickRecorder : public XViewListener {
 public:
  void OnViewClicked(XView* sender) override {
    senders.push_back(sender);
    statesSeen.push_back(static_cast<XButton*>(sender)->GetState());
  }
  std::vector<XView*> senders;
  std::vector<ButtonState> statesSeen;
};

class ButtonTest : public ::testing::Test {
 protected:
  ButtonTest() {
    root.SetRect(RECT{0, 0, 400, 300});
    button = root.AddChild(std::make_unique<XButton>(&listener));
    button->SetRect(RECT{10, 10, 110, 50});
  }
  ClickRecorder listener;
  XView root;
  XButton* button;
};

TEST_F(ButtonTest, ClickGoesHoverPressedNormalAndCallsListenerLast) {
  root.MouseMove({20, 20});
  EXPECT_EQ(button->GetState(), ButtonState::kHover);
  root.MouseDown({20, 20});
  EXPECT_EQ(button->GetState(), ButtonState::kPressed);
  root.MouseUp({20, 20});
  EXPECT_EQ(button->GetState(), ButtonState::kNormal);
  ASSERT_EQ(listener.senders, (std::vector<XView*>{button}));
  EXPECT_EQ(listener.statesSeen[0], ButtonState::kNormal);
  // Still over the button: Hover only comes back after leaving and re-entering.
  root.MouseMove({30, 30});
  EXPECT_EQ(button->GetState(), ButtonState::kNormal);
  root.MouseMove({300, 200});
  root.MouseMove({30, 30});
  EXPECT_EQ(button->GetState(), ButtonState::kHover);
}

TEST_F(ButtonTest, DraggingOffReturnsToNormalWithoutClick) {
  root.MouseMove({20, 20});
  root.MouseDown({20, 20});
  root.MouseMove({300, 200});
  EXPECT_EQ(button->GetState(), ButtonState::kNormal);
  root.MouseUp({300, 200});
  EXPECT_TRUE(listener.senders.empty());
}

TEST_F(ButtonTest, DisabledButtonKeepsItsLookAndNeverClicks) {
  button->SetEnabled(false);
  root.MouseMove({20, 20});
  root.MouseDown({20, 20});
  EXPECT_EQ(button->GetState(), ButtonState::kDisabled);
  root.MouseUp({20, 20});
  EXPECT_EQ(button->GetState(), ButtonState::kDisabled);
  EXPECT_TRUE(listener.senders.empty());
  // Still the mouse target, so it blocks window dragging.
  EXPECT_EQ(root.HitTest({20, 20}), button);
}

TEST_F(ButtonTest, EnablingUnderThePointerShowsNormalUntilReentered) {
  root.MouseMove({20, 20});
  button->SetEnabled(false);
  button->SetEnabled(true);
  EXPECT_EQ(button->GetState(), ButtonState::kNormal);
  root.MouseMove({25, 25});
  EXPECT_EQ(button->GetState(), ButtonState::kNormal);
}

TEST_F(ButtonTest, ListenerMayHideTheClickedButton) {
  struct Hider : XViewListener {
    void OnViewClicked(XView* sender) override { sender->SetVisible(false); }
  } hider;
  XButton* other = root.AddChild(std::make_unique<XButton>(&hider));
  other->SetRect(RECT{200, 10, 300, 50});
  root.MouseDown({210, 20});
  root.MouseUp({210, 20});
  EXPECT_FALSE(other->IsVisible());
  EXPECT_EQ(root.HitTest({210, 20}), &root);
}

TEST_F(ButtonTest, NothingInsideAButtonIsHit) {
  XView* inner = button->AddChild(std::make_unique<XView>());
  inner->SetRect(RECT{20, 20, 30, 30});
  EXPECT_EQ(root.HitTest({25, 25}), button);
}

TEST(LabelTest, LabelsNeverTakeTheMouse) {
  XView root;
  root.SetRect(RECT{0, 0, 100, 100});
  root.AddChild(std::make_unique<XLabel>(L"text", 26, RGB(1, 2, 3)))->SetRect(RECT{0, 0, 50, 50});
  EXPECT_EQ(root.HitTest({10, 10}), &root);
}

// Counts the pixels of |color| in row |y| of a 32-bit top-down DIB section.
class Canvas {
 public:
  Canvas(int canvasWidth, int height) : width(canvasWidth) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc = CreateMemoryDc(nullptr);
    bitmap.reset(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS,
                                    reinterpret_cast<void**>(&pixels), nullptr, 0));
    select = std::make_unique<ScopedSelectObject>(dc.get(), bitmap.get());
    RECT all = {0, 0, width, height};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
  ~Canvas() { select.reset(); }

  int CountInRow(int y, COLORREF color) const {
    const uint32_t wanted = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    int count = 0;
    for (int x = 0; x < width; ++x)
      count += (pixels[y * width + x] & 0xFFFFFF) == wanted;
    return count;
  }
  // The first and last columns that hold anything but black.
  std::pair<int, int> InkedColumns(int height) const {
    std::pair<int, int> span = {width, -1};
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if ((pixels[y * width + x] & 0xFFFFFF) != 0)
          span = {std::min(span.first, x), std::max(span.second, x)};
      }
    }
    return span;
  }
  HDC get() const { return dc.get(); }

 private:
  int width;
  uint32_t* pixels = nullptr;
  UniqueMemoryDc dc;
  UniqueBitmap bitmap;
  std::unique_ptr<ScopedSelectObject> select;
};

const COLORREF kFill = RGB(74, 144, 226);
const COLORREF kTrack = RGB(230, 230, 230);

TEST(ProgressBarTest, FillsWidthTimesPercentOverHundred) {
  XProgressBar bar;
  bar.Attach(nullptr, nullptr);
  bar.SetRect(RECT{0, 0, 600, 6});
  bar.SetProgress(33);
  Canvas canvas(600, 6);
  bar.Paint(canvas.get());
  EXPECT_EQ(canvas.CountInRow(3, kFill), 198);
  EXPECT_EQ(canvas.CountInRow(3, kTrack), 402);
}

TEST(ProgressBarTest, AboveHundredIgnoredHundredFullZeroVanishes) {
  XProgressBar bar;
  bar.Attach(nullptr, nullptr);
  bar.SetRect(RECT{0, 0, 200, 6});
  bar.SetProgress(50);
  bar.SetProgress(101);
  EXPECT_EQ(bar.GetProgress(), 50);
  bar.SetProgress(100);
  Canvas full(200, 6);
  bar.Paint(full.get());
  EXPECT_EQ(full.CountInRow(0, kFill), 200);
  bar.SetProgress(0);
  Canvas empty(200, 6);
  bar.Paint(empty.get());
  EXPECT_EQ(empty.CountInRow(0, RGB(0, 0, 0)), 200);
  bar.SetProgress(-5);
  EXPECT_EQ(bar.GetProgress(), -5);
}

TEST(ButtonPaintTest, ButtonWithoutColoursPaintsNothingOfItsShape) {
  XButton button(nullptr);
  button.SetRect(RECT{0, 0, 40, 20});
  Canvas canvas(40, 20);
  button.Paint(canvas.get());
  for (int y = 0; y < 20; ++y)
    EXPECT_EQ(canvas.CountInRow(y, RGB(0, 0, 0)), 40);
}

TEST(ButtonPaintTest, FillFollowsTheState) {
  XButton button(nullptr);
  button.SetRect(RECT{0, 0, 40, 20});
  button.SetCornerRadius(0);
  button.SetFillColor(ButtonState::kNormal, RGB(10, 20, 30));
  button.SetFillColor(ButtonState::kDisabled, RGB(200, 200, 200));
  Canvas normal(40, 20);
  button.Paint(normal.get());
  EXPECT_GT(normal.CountInRow(10, RGB(10, 20, 30)), 30);
  button.SetEnabled(false);
  Canvas disabled(40, 20);
  button.Paint(disabled.get());
  EXPECT_GT(disabled.CountInRow(10, RGB(200, 200, 200)), 30);
  EXPECT_EQ(disabled.CountInRow(10, RGB(10, 20, 30)), 0);
}

// A border of any width lies inside the button's rectangle, as wide on every side.
TEST(ButtonPaintTest, BordersStayInsideTheirRectangleAtEveryScale) {
  const COLORREF border = RGB(204, 204, 204);
  for (const int dpi : {96, 144, 192}) {
    XButton button(nullptr);
    button.SetScale(DisplayScale(dpi));
    button.SetRect(RECT{10, 10, 50, 30});
    button.SetCornerRadius(0);
    button.SetBorderColor(ButtonState::kNormal, border);
    Canvas canvas(60, 40);
    button.Paint(canvas.get());
    const int width = DisplayScale(dpi).Pixels(1);
    EXPECT_EQ(canvas.CountInRow(9, border), 0) << dpi;
    EXPECT_EQ(canvas.CountInRow(30, border), 0) << dpi;
    for (int y = 10; y < 10 + width; ++y) {
      EXPECT_EQ(canvas.CountInRow(y, border), 40) << dpi << " " << y;
      EXPECT_EQ(canvas.CountInRow(39 - y, border), 40) << dpi << " " << 39 - y;
    }
    EXPECT_EQ(canvas.CountInRow(20, border), 2 * width) << dpi;
  }
}

// A link narrower than its words takes the clicks and the focus cue wherever they are
// drawn, and they are drawn where they were.
TEST(ButtonPaintTest, CoverTextWidensToTheDrawnWordsWithoutMovingThem) {
  auto link = [] {
    auto button = std::make_unique<XButton>(nullptr);
    button->SetText(L"user license");
    button->SetTextColor(RGB(255, 255, 255));
    button->SetFont(26, true);
    button->SetRect(RECT{100, 0, 130, 32});
    return button;
  };
  const auto plain = link();
  Canvas before(240, 32);
  plain->Paint(before.get());
  const auto covering = link();
  covering->CoverText();
  Canvas after(240, 32);
  covering->Paint(after.get());
  const std::pair<int, int> words = before.InkedColumns(32);
  ASSERT_LT(words.first, 100);
  EXPECT_EQ(after.InkedColumns(32), words);
  const RECT area = covering->GetRect();
  EXPECT_LE(area.left, words.first);
  EXPECT_GT(area.right, words.second);
  // A text that fits leaves the rectangle as it is.
  covering->SetRect(RECT{0, 0, 240, 32});
  covering->CoverText();
  EXPECT_EQ(covering->GetRect().right, 240);
}

class EditBoxTest : public ::testing::Test {
 protected:
  TestWindow window{SIZE{800, 400}};
};

TEST_F(EditBoxTest, NativeControlSitsSevenPixelsInside) {
  XEditBox* box =
      window.root()->AddAttached(std::make_unique<XEditBox>(window.get()), RECT{100, 50, 700, 90});
  box->Layout();
  ASSERT_NE(box->GetControl(), nullptr);
  RECT placed = {};
  ::GetWindowRect(box->GetControl(), &placed);
  ::MapWindowPoints(nullptr, window.get(), reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.left, 107);
  EXPECT_EQ(placed.top, 57);
  EXPECT_EQ(placed.right - placed.left, 586);
  EXPECT_EQ(placed.bottom - placed.top, 26);
}

TEST_F(EditBoxTest, GetTextReadsAtMost259Characters) {
  XEditBox* box =
      window.root()->AddAttached(std::make_unique<XEditBox>(window.get()), RECT{0, 0, 600, 40});
  box->SetText(std::wstring(300, L'x'));
  EXPECT_EQ(box->GetText(), std::wstring(259, L'x'));
  box->SetText(L"C:\\Program Files\\");
  EXPECT_EQ(box->GetText(), L"C:\\Program Files\\");
}

TEST_F(EditBoxTest, HidingHidesTheControlAtOnce) {
  XEditBox* box =
      window.root()->AddAttached(std::make_unique<XEditBox>(window.get()), RECT{0, 0, 600, 40});
  box->Layout();
  EXPECT_TRUE(::IsWindowVisible(box->GetControl()));
  box->SetVisible(false);
  EXPECT_FALSE(::IsWindowVisible(box->GetControl()));
  box->SetVisible(true);
  EXPECT_TRUE(::IsWindowVisible(box->GetControl()));
  // The edit box is not a mouse target: the native control takes input itself.
  EXPECT_EQ(window.root()->HitTest({10, 10}), window.root());
}

}  // namespace
