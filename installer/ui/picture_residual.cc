#include "installer/ui/picture_residual.h"

#include <cstddef>
#include <cstdint>
#include <numeric>
#include <vector>

namespace {

// For one target pixel: the source pixel before its centre and the weights of that pixel
// and the next, which sum to the total of the direction.
struct Tap {
  int first;
  int firstWeight;
  int nextWeight;
};

// Taps for enlarging |source| pixels to |target|; |total| receives the weights' sum, kept
// small by dividing out the sizes' common factor (4 at 200 %, 6 at 150 %, 10 at 125 %).
std::vector<Tap> Taps(int source, int target, int* total) {
  const int common = std::gcd(source, target);
  const int n = source / common;
  const int m = target / common;
  *total = 2 * m;
  std::vector<Tap> taps;
  taps.reserve(static_cast<size_t>(target));
  for (int x = 0; x < target; ++x) {
    // The centre of target pixel x, in source pixels times |total|.
    const int position = (2 * x + 1) * n - m;
    int first = position > 0 ? position / *total : 0;
    int fraction = position > 0 ? position % *total : 0;
    if (first >= source - 1) {
      first = source - 1;
      fraction = 0;
    }
    taps.push_back({first, *total - fraction, fraction});
  }
  return taps;
}

// Source row |y| enlarged across, still scaled by the horizontal total.
void Widen(const PixelRows& base, int y, const std::vector<Tap>& taps, std::vector<int>* out) {
  const uint8_t* row = base.bits + static_cast<size_t>(y) * base.stride;
  int* value = out->data();
  for (const Tap& tap : taps) {
    const int next = tap.first + 1 < base.width ? tap.first + 1 : tap.first;
    for (int c = 0; c < 3; ++c)
      *value++ = row[tap.first * 3 + c] * tap.firstWeight + row[next * 3 + c] * tap.nextWeight;
  }
}

}  // namespace

bool AddEnlarged(const PixelRows& base, const PixelRows& picture) {
  if (base.width <= 0 || base.height <= 0 || picture.width < base.width ||
      picture.height < base.height) {
    return false;
  }
  int totalX = 0;
  int totalY = 0;
  const std::vector<Tap> across = Taps(base.width, picture.width, &totalX);
  const std::vector<Tap> down = Taps(base.height, picture.height, &totalY);
  // In 64 bits: for sizes that share no factor the weights grow with the picture, and a
  // weighted sum of 2000 x 1500 pixels no longer fits an int.
  const int64_t total = int64_t{totalX} * totalY;
  const size_t values = static_cast<size_t>(picture.width) * 3;
  // The two widened source rows the current target row lies between; the rows needed
  // only move down, so each is widened once.
  std::vector<int> upper(values);
  std::vector<int> lower(values);
  int upperRow = -1;
  int lowerRow = -1;
  for (int y = 0; y < picture.height; ++y) {
    const Tap& tap = down[static_cast<size_t>(y)];
    const int next = tap.first + 1 < base.height ? tap.first + 1 : tap.first;
    if (upperRow != tap.first) {
      if (lowerRow == tap.first) {
        upper.swap(lower);
        lowerRow = -1;
      } else {
        Widen(base, tap.first, across, &upper);
      }
      upperRow = tap.first;
    }
    if (lowerRow != next) {
      Widen(base, next, across, &lower);
      lowerRow = next;
    }
    uint8_t* out = picture.bits + static_cast<size_t>(y) * picture.stride;
    for (size_t i = 0; i < values; ++i) {
      const int64_t value =
          (int64_t{upper[i]} * tap.firstWeight + int64_t{lower[i]} * tap.nextWeight + total / 2) /
          total;
      out[i] = static_cast<uint8_t>(out[i] + value);
    }
  }
  return true;
}
