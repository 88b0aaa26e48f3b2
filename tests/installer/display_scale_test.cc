#include <gtest/gtest.h>

#include "installer/ui/display_scale.h"

namespace {

// Every coordinate goes through one monotonic rounding, so edges that touch at 96 DPI touch
// at every scale and every converted value converts back.
TEST(DisplayScaleTest, RoundingKeepsOrderTouchingEdgesAndConvertsBack) {
  for (int dpi = 96; dpi <= 480; ++dpi) {
    const DisplayScale scale(dpi);
    for (int value = -200; value <= 3000; ++value) {
      ASSERT_LT(scale.Pixels(value), scale.Pixels(value + 1)) << dpi << " " << value;
      ASSERT_EQ(scale.Logical(scale.Pixels(value)), value) << dpi << " " << value;
    }
  }
  EXPECT_EQ(DisplayScale(96).Pixels(737), 737);
  EXPECT_EQ(DisplayScale(72).Dpi(), 72);
  EXPECT_EQ(DisplayScale(8).Dpi(), DisplayScale::kMinimumDpi);
  EXPECT_EQ(DisplayScale(65535).Dpi(), DisplayScale::kMaximumDpi);
  EXPECT_EQ(DisplayScale(144).Pixels(SIZE{1000, 600}).cx, 1500);
  EXPECT_EQ(DisplayScale(120).Pixels(RECT{20, 548, 52, 580}).right, 65);
}

TEST(DisplayScaleTest, TheLargestScaleThatFitsTheWorkAreaBelow100OnlyWhereNeeded) {
  const SIZE wizard = {1000, 740};
  EXPECT_EQ(FitScale(144, wizard, RECT{0, 0, 2560, 1600}).Dpi(), 144);
  // 1280 wide: 1000 x 122 / 96 rounds to 1271, 123 DPI would make 1281.
  EXPECT_EQ(FitScale(144, wizard, RECT{0, 0, 1280, 1024}).Dpi(), 122);
  EXPECT_EQ(FitScale(192, wizard, RECT{0, 40, 1920, 1040}).Dpi(), 129);
  EXPECT_EQ(FitScale(72, wizard, RECT{0, 0, 1280, 1024}).Dpi(), 96);
  // Smaller screens than the wizard: 1000 x 76 / 96 rounds to 792, 740 x 77 / 96 to 594.
  EXPECT_EQ(FitScale(96, wizard, RECT{0, 0, 800, 600}).Dpi(), 76);
  EXPECT_EQ(FitScale(96, wizard, RECT{0, 0, 1024, 600}).Dpi(), 77);
  EXPECT_EQ(FitScale(96, wizard, RECT{0, 0, 100, 100}).Dpi(), DisplayScale::kMinimumDpi);
}

}  // namespace
