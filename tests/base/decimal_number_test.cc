#include <gtest/gtest.h>

#include <limits>
#include <string_view>

#include "base/decimal_number.h"

namespace {

// The cases of the four readers it serves: version components (up to 2^32 - 1), window
// numbers, ports (up to 65535) and Content-Length values (up to 2^63 - 1).
TEST(DecimalNumberTest, DigitsOnlyUpToTheMaximum) {
  constexpr uint64_t kInt64Max = std::numeric_limits<int64_t>::max();
  const struct {
    std::string_view text;
    uint64_t max;
    bool valid;
    uint64_t value;
  } kCases[] = {
      {"0", UINT32_MAX, true, 0},
      {"007", UINT32_MAX, true, 7},
      {"4294967295", UINT32_MAX, true, 4294967295u},
      {"4294967296", UINT32_MAX, false, 0},
      {"99999999999999999999", UINT32_MAX, false, 0},
      {"65535", 65535, true, 65535},
      {"65536", 65535, false, 0},
      {"9223372036854775807", kInt64Max, true, kInt64Max},
      {"9223372036854775808", kInt64Max, false, 0},
      {"18446744073709551615", UINT64_MAX, true, UINT64_MAX},
      {"18446744073709551616", UINT64_MAX, false, 0},
      {"", UINT32_MAX, false, 0},
      {"+1", UINT32_MAX, false, 0},
      {"-5", UINT32_MAX, false, 0},
      {" 1", UINT32_MAX, false, 0},
      {"1 ", UINT32_MAX, false, 0},
      {"12x", UINT32_MAX, false, 0},
      {"0x10", UINT32_MAX, false, 0},
      {"1.5", UINT32_MAX, false, 0},
      // A maximum below 9 refuses the digits above it.
      {"9", 5, false, 0},
      {"5", 5, true, 5},
      {"0", 0, true, 0},
      {"1", 0, false, 0},
  };
  for (const auto& c : kCases) {
    uint64_t value = 12345;
    EXPECT_EQ(ParseDecimalDigits(c.text, c.max, &value), c.valid) << c.text;
    EXPECT_EQ(value, c.valid ? c.value : 12345u) << c.text;
  }
  uint64_t wide = 0;
  EXPECT_TRUE(ParseDecimalDigits(std::wstring_view(L"1234"), UINT32_MAX, &wide));
  EXPECT_EQ(wide, 1234u);
  EXPECT_FALSE(ParseDecimalDigits(std::wstring_view(L"\u0661"), UINT32_MAX, &wide));
}

}  // namespace
