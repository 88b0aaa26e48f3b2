#include "net/content_length.h"

#include <limits>

int64_t ParseContentLength(std::wstring_view text) {
  if (text.empty())
    return -1;
  int64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9')
      return -1;
    const int digit = c - L'0';
    if (value > (std::numeric_limits<int64_t>::max() - digit) / 10)
      return -1;
    value = value * 10 + digit;
  }
  return value;
}
