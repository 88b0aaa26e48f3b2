#include "base/version.h"

#include <algorithm>

#include "base/decimal_number.h"

namespace {

// Parses one piece: digits only, value at most 2^32 - 1. |value| is written on success.
bool ParseComponent(std::string_view piece, uint32_t* value) {
  uint64_t result = 0;
  if (!ParseDecimalDigits(piece, UINT32_MAX, &result))
    return false;
  *value = static_cast<uint32_t>(result);
  return true;
}

}  // namespace

Version::Version(std::string_view text) {
  if (text.empty())
    return;
  std::vector<uint32_t> parsed;
  size_t start = 0;
  while (true) {
    const size_t dot = text.find('.', start);
    const std::string_view piece =
        text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    uint32_t value = 0;
    if (!ParseComponent(piece, &value))
      return;
    // "01" is not a version; later pieces may be zero-padded (1.02 is 1.2).
    if (parsed.empty() && std::to_string(value) != piece)
      return;
    parsed.push_back(value);
    if (dot == std::string_view::npos)
      break;
    start = dot + 1;
  }
  components = std::move(parsed);
}

int Version::CompareTo(const Version& other) const {
  const std::vector<uint32_t>& a = components;
  const std::vector<uint32_t>& b = other.components;
  const size_t shared = std::min(a.size(), b.size());
  for (size_t i = 0; i < shared; ++i) {
    if (a[i] != b[i])
      return a[i] < b[i] ? -1 : 1;
  }
  const auto nonZero = [](uint32_t c) { return c != 0; };
  if (std::any_of(a.begin() + shared, a.end(), nonZero))
    return 1;
  if (std::any_of(b.begin() + shared, b.end(), nonZero))
    return -1;
  return 0;
}

std::string Version::GetString() const {
  std::string text;
  for (size_t i = 0; i < components.size(); ++i) {
    if (i != 0)
      text += '.';
    text += std::to_string(components[i]);
  }
  return text;
}
