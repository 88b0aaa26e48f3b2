#include "installer/ui/picture_residual.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Pixels of |width| x |height| in rows of |stride| bytes, with nothing to spare around them,
// so that a read or write outside is one AddressSanitizer sees.
struct Pixels {
  Pixels(int w, int h, int padding, uint8_t fill)
      : bytes(static_cast<size_t>((w * 3 + padding) * h), fill),
        rows{bytes.data(), w, h, w * 3 + padding} {}
  std::vector<uint8_t> bytes;
  PixelRows rows;
};

// Sizes that divide the picture's as the real scales do, and coprime ones whose weights grow
// with the picture: every enlargement reads only the base and writes only the picture, and a
// flat base adds its own value everywhere.
TEST(PictureResidualTest, FlatBaseAddsItsValueAtAnySize) {
  const struct {
    int baseWidth, baseHeight, width, height, padding;
  } kSizes[] = {
      {4, 3, 5, 4, 0},    {2, 2, 3, 3, 1},       {1, 1, 7, 5, 2},         {3, 1, 3, 9, 0},
      {10, 6, 25, 15, 3}, {7, 5, 1999, 1499, 0}, {13, 11, 2003, 1201, 1}, {5, 5, 5, 5, 0},
  };
  for (const auto& size : kSizes) {
    Pixels base(size.baseWidth, size.baseHeight, size.padding, 200);
    Pixels picture(size.width, size.height, size.padding, 100);
    ASSERT_TRUE(AddEnlarged(base.rows, picture.rows)) << size.width << "x" << size.height;
    // Every pixel byte took 200 more (modulo 256); the padding after each row is untouched.
    std::vector<uint8_t> expected(picture.bytes.size(), 100);
    for (int y = 0; y < size.height; ++y) {
      for (int x = 0; x < size.width * 3; ++x)
        expected[static_cast<size_t>(y * picture.rows.stride + x)] = static_cast<uint8_t>(300);
    }
    EXPECT_TRUE(picture.bytes == expected) << size.width << "x" << size.height;
  }
}

TEST(PictureResidualTest, RefusesABaseItCannotEnlargeAndLeavesThePicture) {
  Pixels picture(4, 4, 0, 7);
  for (const PixelRows& base : {PixelRows{nullptr, 0, 4, 0}, PixelRows{nullptr, 4, 0, 12}}) {
    EXPECT_FALSE(AddEnlarged(base, picture.rows));
  }
  Pixels wider(5, 2, 0, 1);
  Pixels taller(2, 5, 0, 1);
  EXPECT_FALSE(AddEnlarged(wider.rows, picture.rows));
  EXPECT_FALSE(AddEnlarged(taller.rows, picture.rows));
  EXPECT_EQ(picture.bytes, std::vector<uint8_t>(48, 7));
}

}  // namespace
