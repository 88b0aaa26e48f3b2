#include "installer/ui/x_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/ui/scaled_picture.h"

namespace {

// Records every virtual call into a shared journal, tagged with the view's name.
class Probe : public XView {
 public:
  Probe(std::string probeName, std::vector<std::string>* log, RECT where, bool hittable = true)
      : name(std::move(probeName)), journal(log) {
    rect = where;
    hitTestable = hittable;
  }
  ~Probe() override { journal->push_back("~" + name); }

  void SetSearchChildren(bool value) { searchChildren = value; }

  void OnCreate(HINSTANCE, HWND) override { journal->push_back("create " + name); }
  void OnLayout() override { journal->push_back("layout " + name); }
  void OnPaint(HDC) override { journal->push_back("paint " + name); }
  void OnMouseDown() override { journal->push_back("down " + name); }
  void OnClick() override { journal->push_back("click " + name); }
  void OnMouseEnter() override { journal->push_back("enter " + name); }
  void OnMouseLeave() override { journal->push_back("leave " + name); }
  void OnFontChanged() override { journal->push_back("font " + name); }
  void OnVisibleChanged(bool shown) override {
    journal->push_back((shown ? "show " : "hide ") + name);
  }

  std::string name;
  std::vector<std::string>* journal;
};

class XViewTreeTest : public ::testing::Test {
 protected:
  Probe* Add(XView* parent, const std::string& name, RECT where, bool hittable = true) {
    return parent->AddChild(std::make_unique<Probe>(name, &journal, where, hittable));
  }

  std::vector<std::string> journal;
  Probe root{"root", &journal, RECT{0, 0, 400, 300}};
};

using Journal = std::vector<std::string>;

TEST_F(XViewTreeTest, DescendantWinsOverAncestor) {
  Probe* panel = Add(&root, "panel", {10, 10, 200, 200});
  Probe* button = Add(panel, "button", {20, 20, 60, 60});
  EXPECT_EQ(root.HitTest({30, 30}), button);
  EXPECT_EQ(root.HitTest({100, 100}), panel);
  EXPECT_EQ(root.HitTest({300, 250}), &root);
}

TEST_F(XViewTreeTest, EarlierOverlappingSiblingGetsTheMouse) {
  Probe* first = Add(&root, "first", {0, 0, 100, 100});
  Add(&root, "second", {50, 50, 150, 150});
  EXPECT_EQ(root.HitTest({75, 75}), first);
  EXPECT_EQ(root.HitTest({120, 120})->GetRect().left, 50);
}

TEST_F(XViewTreeTest, RightAndBottomEdgesAreOutside) {
  Probe* box = Add(&root, "box", {10, 10, 20, 20});
  EXPECT_EQ(root.HitTest({10, 10}), box);
  EXPECT_EQ(root.HitTest({19, 19}), box);
  EXPECT_EQ(root.HitTest({20, 15}), &root);
  EXPECT_EQ(root.HitTest({15, 20}), &root);
}

TEST_F(XViewTreeTest, HiddenSubtreeIsNeitherHitNorPainted) {
  Probe* panel = Add(&root, "panel", {0, 0, 200, 200});
  Add(panel, "inner", {10, 10, 50, 50});
  panel->SetVisible(false);
  EXPECT_EQ(root.HitTest({20, 20}), &root);
  journal.clear();
  root.Paint(nullptr);
  EXPECT_EQ(journal, (Journal{"paint root"}));

  panel->SetVisible(true);
  journal.clear();
  root.Paint(nullptr);
  EXPECT_EQ(journal, (Journal{"paint root", "paint panel", "paint inner"}));
  EXPECT_NE(root.HitTest({20, 20}), &root);
}

TEST_F(XViewTreeTest, HiddenRootIsNeverHit) {
  root.SetVisible(false);
  EXPECT_EQ(root.HitTest({5, 5}), nullptr);
}

TEST_F(XViewTreeTest, ViewsThatTakeNoMouseAreTransparent) {
  Add(&root, "label", {0, 0, 100, 100}, /*hittable=*/false);
  EXPECT_EQ(root.HitTest({50, 50}), &root);
}

TEST_F(XViewTreeTest, ChildrenAreSkippedWhenSearchIsOff) {
  Probe* button = Add(&root, "button", {0, 0, 100, 100});
  Add(button, "inside", {10, 10, 20, 20});
  button->SetSearchChildren(false);
  EXPECT_EQ(root.HitTest({15, 15}), button);
}

TEST_F(XViewTreeTest, AttachIsTopDownAndLayoutBottomUp) {
  Probe* a = Add(&root, "a", {});
  Add(a, "a1", {});
  Add(&root, "b", {});
  root.Attach(nullptr, nullptr);
  root.Layout();
  EXPECT_EQ(journal, (Journal{"create root", "create a", "create a1", "create b", "layout a1",
                              "layout a", "layout b", "layout root"}));
}

TEST_F(XViewTreeTest, PressAndReleaseOverTheSameViewClicksOnce) {
  Add(&root, "button", {0, 0, 50, 50});
  root.MouseDown({10, 10});
  root.MouseUp({20, 20});
  EXPECT_EQ(journal, (Journal{"down button", "click button"}));
  EXPECT_EQ(root.GetPressedView(), nullptr);
}

TEST_F(XViewTreeTest, ReleaseElsewhereDoesNotClickAndClearsThePress) {
  Add(&root, "one", {0, 0, 50, 50});
  Add(&root, "two", {100, 0, 150, 50});
  root.MouseDown({10, 10});
  root.MouseUp({110, 10});
  root.MouseUp({10, 10});
  EXPECT_EQ(journal, (Journal{"down one"}));
  EXPECT_EQ(root.GetPressedView(), nullptr);
}

TEST_F(XViewTreeTest, ReleaseWithoutPressDoesNothing) {
  Add(&root, "button", {0, 0, 50, 50});
  root.MouseUp({10, 10});
  EXPECT_TRUE(journal.empty());
}

TEST_F(XViewTreeTest, LeavingAndComingBackStillClicks) {
  Add(&root, "button", {0, 0, 50, 50});
  root.MouseDown({10, 10});
  root.MouseMove({200, 200});
  root.MouseMove({10, 10});
  root.MouseUp({10, 10});
  EXPECT_EQ(journal,
            (Journal{"down button", "enter root", "leave root", "enter button", "click button"}));
}

TEST_F(XViewTreeTest, LeaveRunsBeforeEnter) {
  Add(&root, "one", {0, 0, 50, 50});
  Add(&root, "two", {100, 0, 150, 50});
  root.MouseMove({10, 10});
  root.MouseMove({10, 20});
  root.MouseMove({110, 10});
  EXPECT_EQ(journal, (Journal{"enter one", "leave one", "enter two"}));
  EXPECT_EQ(root.GetHoverView()->GetRect().left, 100);
}

TEST_F(XViewTreeTest, ChildrenAreDestroyedFirstToLast) {
  {
    auto owner = std::make_unique<Probe>("owner", &journal, RECT{});
    owner->AddChild(std::make_unique<Probe>("x", &journal, RECT{}));
    owner->AddChild(std::make_unique<Probe>("y", &journal, RECT{}));
  }
  EXPECT_EQ(journal, (Journal{"~owner", "~x", "~y"}));
}

TEST_F(XViewTreeTest, FontAndVisibilityNotifyOnlyOnChange) {
  root.SetFont(0, false);
  root.SetVisible(true);
  EXPECT_TRUE(journal.empty());
  root.SetFont(26, false);
  root.SetFont(26, true);
  root.SetFont(26, true);
  root.SetVisible(false);
  root.SetVisible(false);
  EXPECT_EQ(journal, (Journal{"font root", "font root", "hide root"}));
}

}  // namespace

namespace {

// Pictures of tests/installer/test_resources.rc: real glyphs whose 150 % set is damaged, once
// stored whole and once as a difference from the 100 % picture.
constexpr int kDamagedWholeSet = 9105;
constexpr int kDamagedDifferenceSet = 9106;

// A damaged set never blanks what it is drawn on: the 100 % picture stands in, stretched by
// the caller like any picture of another size.
TEST(ScaledPictureTest, ADamagedSetFallsBackToThe100PercentPicture) {
  const HINSTANCE module = ::GetModuleHandleW(nullptr);
  for (const int id : {kDamagedWholeSet, kDamagedDifferenceSet}) {
    const UniqueBitmap picture = LoadScaledPicture(module, id, DisplayScale(144));
    ASSERT_TRUE(picture) << id;
    BITMAP info = {};
    ASSERT_EQ(::GetObjectW(picture.get(), sizeof(info), &info), static_cast<int>(sizeof(info)));
    EXPECT_EQ(info.bmWidth, 32) << id;
    EXPECT_EQ(info.bmHeight, 32) << id;
  }
}

}  // namespace
