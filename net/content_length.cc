#include "net/content_length.h"

#include <limits>

#include "base/decimal_number.h"

int64_t ParseContentLength(std::wstring_view text) {
  uint64_t value = 0;
  if (!ParseDecimalDigits(text, std::numeric_limits<int64_t>::max(), &value))
    return -1;
  return static_cast<int64_t>(value);
}
