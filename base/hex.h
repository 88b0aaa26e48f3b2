#ifndef BASE_HEX_H_
#define BASE_HEX_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The value of one hexadecimal digit of either case, or -1 for any other code unit (narrow
// or wide; a negative char converts to a value outside every range).
constexpr int HexDigitValue(char32_t c) {
  if (c >= U'0' && c <= U'9')
    return static_cast<int>(c - U'0');
  if (c >= U'a' && c <= U'f')
    return static_cast<int>(c - U'a' + 10);
  if (c >= U'A' && c <= U'F')
    return static_cast<int>(c - U'A' + 10);
  return -1;
}

// Which letters an encoder writes: digests go to the update server in upper case, key ids
// and nonces in lower case.
enum class HexLetters { kLower, kUpper };

// |bytes| as two hexadecimal digits each, high nibble first.
std::string HexEncode(std::span<const uint8_t> bytes, HexLetters letters);

// Reads the first 2 * |bytes|.size() code units of |text| (digits of either case, high nibble
// first) into |bytes|. False, with |bytes| partly written, when |text| is shorter or holds
// anything else there; what follows is the caller's.
template <typename Char>
bool HexDecode(std::basic_string_view<Char> text, std::span<uint8_t> bytes) {
  if (text.size() / 2 < bytes.size())
    return false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const int high = HexDigitValue(static_cast<char32_t>(text[2 * i]));
    const int low = HexDigitValue(static_cast<char32_t>(text[2 * i + 1]));
    if (high < 0 || low < 0)
      return false;
    bytes[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return true;
}

#endif  // BASE_HEX_H_
