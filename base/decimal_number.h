#ifndef BASE_DECIMAL_NUMBER_H_
#define BASE_DECIMAL_NUMBER_H_

#include <cstdint>
#include <string_view>

// Reads |text| as an unsigned decimal number: one or more ASCII digits and nothing else (no
// sign, no space, no prefix). False when it is not one or its value is above |max|;
// |*value| is written only on success. Callers keep their own rules around it (a sign they
// allow, a range, what may follow). For narrow and wide text alike.
template <typename Char>
bool ParseDecimalDigits(std::basic_string_view<Char> text, uint64_t max, uint64_t* value) {
  if (text.empty())
    return false;
  uint64_t result = 0;
  for (const Char c : text) {
    if (c < Char('0') || c > Char('9'))
      return false;
    const uint64_t digit = static_cast<uint64_t>(c - Char('0'));
    if (digit > max || result > (max - digit) / 10)
      return false;
    result = result * 10 + digit;
  }
  *value = result;
  return true;
}

#endif  // BASE_DECIMAL_NUMBER_H_
